// The target bar's Initiative mode: one combatant after another is asked for its initiative,
// typed as the player rolled it or rolled; the answers of one walk are one step.
#include "app/target/TargetBar.h"

#include "app/dialogs/CommandReporter.h"
#include "app/target/BarText.h"
#include "combat/Initiative.h"
#include "document/CombatDocument.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

void TargetBar::openInitiativeWalk(const QList<int> &rows)
{
    if (rows.isEmpty()) {
        m_reporter.refuse(QStringLiteral("Everyone in the fight has an initiative; Roll Initiative Again rolls anew."));
        return;
    }
    static int walks = 0;
    m_walk = ++walks;
    m_walkRows = rows;
    open(Mode::Initiative, -1);
    askNext();
}

bool TargetBar::walkKey(QKeyEvent *key)
{
    const QString typed = m_target->text().trimmed();
    const int row = m_walkRows.value(0, -1);
    if (row < 0)
        return true;
    if (bar::isEnter(key)) {
        if (typed.isEmpty()) {
            m_walkRows.removeFirst(); // skipped
            askNext();
        } else {
            answer(m_document.enterInitiative(row, typed, m_walk));
        }
        return true;
    }
    if (typed.isEmpty() && key->text().compare(QStringLiteral("r"), Qt::CaseInsensitive) == 0) {
        answer(m_roll ? m_roll(row, m_walk) : CommandResult::refused(QStringLiteral("There are no dice here.")));
        return true;
    }
    return key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Space;
}

void TargetBar::answer(const CommandResult &result)
{
    if (!m_reporter.report(result, [this](const QString &why) { say(why); })) {
        m_target->selectAll();
        return;
    }
    m_walkRows.removeFirst();
    askNext();
}

void TargetBar::askNext()
{
    // Asked in row order; one who left the fight or got an initiative meanwhile is passed.
    while (!m_walkRows.isEmpty() && !combat::awaitsInitiative(m_document.row(m_walkRows.first())))
        m_walkRows.removeFirst();
    if (m_walkRows.isEmpty()) {
        close();
        return;
    }
    const roster::Row &row = m_document.row(m_walkRows.first());
    const QString modifier = row.ini.trimmed().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(row.ini.trimmed());
    const QString question = QStringLiteral("Initiative for %1%2:").arg(bar::isolated(row.name), modifier);
    m_targetCaption->setText(question);
    m_target->setAccessibleName(question);
    m_target->setPlaceholderText(QStringLiteral("17, or r"));
    m_target->clear();
    const QString left = m_walkRows.size() == 1 ? QStringLiteral("the last to ask")
                                                : QStringLiteral("%1 to ask").arg(m_walkRows.size());
    m_shown->setText(left);
    say(hint());
}
