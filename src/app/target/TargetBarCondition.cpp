// The target bar's Condition mode: the condition's name, completed from those known, and its
// rounds, for every target at once.
#include "app/target/TargetBar.h"

#include "app/dialogs/CommandReporter.h"
#include "app/target/BarText.h"
#include "combat/Conditions.h"
#include "document/CombatDocument.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

using bar::isEnter;

bool TargetBar::conditionKey(QKeyEvent *key)
{
    const bool onName = m_condition->hasFocus();
    if (isEnter(key) || key->key() == Qt::Key_Tab) {
        if (!onName) {
            if (isEnter(key))
                apply();
            else
                m_target->setFocus(Qt::TabFocusReason);
        } else if (const QString refusal = combat::conditionRefusal(m_condition->text(), 1); !refusal.isEmpty()) {
            say(refusal);
        } else {
            m_condition->setText(knownSpelling(m_condition->text().trimmed()));
            m_rounds->setFocus(Qt::TabFocusReason);
            m_rounds->selectAll();
        }
        return true;
    }
    if (key->key() == Qt::Key_Backtab) {
        (onName ? static_cast<QWidget *>(m_target) : m_condition)->setFocus(Qt::BacktabFocusReason);
        return true;
    }
    return false;
}

void TargetBar::applyCondition(const QList<int> &rows)
{
    const QString name = knownSpelling(m_condition->text().trimmed());
    const int rounds = m_rounds->text().trimmed().toInt(); // 0 when it is no number: refused
    if (!m_reporter.report(m_document.addCondition(rows, name, rounds), [this](const QString &why) { say(why); })) {
        // The field at fault takes the caret: the name's, else the rounds'.
        if (!combat::conditionRefusal(name, 1).isEmpty())
            m_condition->setFocus(Qt::OtherFocusReason);
        else if (!combat::conditionRefusal(name, rounds).isEmpty())
            m_rounds->selectAll();
        return;
    }
    if (!m_usedConditions.contains(name, Qt::CaseInsensitive))
        m_usedConditions.append(name);
    closeToFight();
}

QStringList TargetBar::knownConditions() const
{
    QStringList names = combat::UsualConditions;
    auto learn = [&names](const QString &name) {
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    };
    for (const QString &name : m_usedConditions)
        learn(name);
    for (const roster::Row &row : m_document.roster().rows) {
        for (const combat::TimedCondition &condition : combat::leadingConditions(row.note))
            learn(condition.name);
    }
    return names;
}

QString TargetBar::knownSpelling(const QString &typed) const
{
    // Completion keeps the case typed: a known name takes its own spelling.
    const QStringList known = knownConditions();
    const auto same = std::find_if(known.begin(), known.end(),
                                   [&](const QString &name) { return name.compare(typed, Qt::CaseInsensitive) == 0; });
    return same != known.end() ? *same : typed;
}
