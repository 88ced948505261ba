// The target bar's Initiative mode: one combatant after another is asked for its initiative,
// typed as the player rolled it or rolled; the answers of one walk are one step.
#include "app/target/TargetBar.h"

#include "app/dialogs/CommandReporter.h"
#include "app/target/BarText.h"
#include "combat/FightingOrder.h"
#include "combat/Initiative.h"
#include "document/CombatDocument.h"
#include "roster/ShownText.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

void TargetBar::openInitiativeWalk(const QList<int> &rows)
{
    if (rows.isEmpty()) {
        const bool anyone = std::any_of(m_document.roster().rows.begin(), m_document.roster().rows.end(),
                                        [](const roster::Row &row) { return combat::takesPart(row); });
        m_reporter.refuse(anyone ? QStringLiteral("Everyone in the fight has an initiative; Roll Initiative Again "
                                                  "rolls anew.")
                                 : QStringLiteral("Nobody is in the fight to ask for an initiative."));
        return;
    }
    static int walks = 0;
    m_walk = ++walks;
    m_walkRows.clear();
    for (const int r : rows)
        m_walkRows.append({r, m_document.row(r).serial});
    open(Mode::Initiative, -1);
    askNext();
}

bool TargetBar::walkKey(QKeyEvent *key)
{
    const QString typed = m_target->text().trimmed();
    if (m_walkRows.isEmpty() || !stillAsked(m_walkRows.first())) {
        askNext(); // the row changed under the question: ask anew before anything is written
        return true;
    }
    const int row = m_walkRows.first().row;
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
    askNext(); // the one answered has its initiative now, and is passed
}

bool TargetBar::stillAsked(const WalkRow &asked) const
{
    const roster::Row &row = m_document.row(asked.row);
    return row.serial == asked.serial && combat::awaitsInitiative(row);
}

void TargetBar::askNext()
{
    // Asked in row order; one who left the fight or got an initiative meanwhile is passed.
    while (!m_walkRows.isEmpty() && !stillAsked(m_walkRows.first()))
        m_walkRows.removeFirst();
    if (m_walkRows.isEmpty()) {
        close();
        return;
    }
    const roster::Row &row = m_document.row(m_walkRows.first().row);
    // Both parts bounded and set apart: neither widens the window nor turns the text around.
    const QString modifier = row.ini.trimmed().isEmpty()
        ? QString()
        : QStringLiteral(" (%1)").arg(bar::isolated(roster::shownText(row.ini.trimmed(), 16)));
    const QString question = QStringLiteral("Initiative for %1%2:")
                                 .arg(bar::isolated(roster::shownText(row.name, 24)), modifier);
    m_targetCaption->setText(question);
    m_target->setAccessibleName(question);
    m_target->setPlaceholderText(QStringLiteral("17, or r"));
    m_target->setText(QString()); // and no undoing into an answer of the last one
    // The row tells twins apart.
    const QString left = QStringLiteral("row %1 \u00b7 ").arg(m_walkRows.first().row + 1)
        + (m_walkRows.size() == 1 ? QStringLiteral("the last to ask") : QStringLiteral("%1 to ask").arg(m_walkRows.size()));
    m_shown->setText(left);
    say(hint());
}
