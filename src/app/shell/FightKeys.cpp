#include "app/shell/FightKeys.h"

#include "app/dialogs/CommandReporter.h"
#include "app/roster/RosterView.h"
#include "combat/Initiative.h"
#include "document/CombatDocument.h"

#include <QApplication>

FightKeys::FightKeys(CombatDocument &document, CommandReporter &reporter, RosterView &roster,
                     std::function<TargetBar &()> bar, std::function<TargetBar *()> shownBar)
    : m_document(document)
    , m_reporter(reporter)
    , m_roster(roster)
    , m_bar(std::move(bar))
    , m_shownBar(std::move(shownBar))
{
}

void FightKeys::openBar(TargetBar::Mode mode)
{
    const int current = m_document.currentRowHolds() ? m_document.currentRow() : -1;
    m_bar().open(mode, current >= 0 ? current : m_roster.focusedRow());
}

void FightKeys::actNow()
{
    const QList<int> waiting = m_document.waitingRows();
    if (waiting.size() > 1)
        m_bar().open(TargetBar::Mode::ActNow, waiting.front());
    else if (m_reporter.report(m_document.actNow(waiting.value(0, -1))))
        keyboardToFight();
}

void FightKeys::walkInitiative()
{
    QList<int> rows;
    for (int r = 0; r < roster::RowCount; ++r) {
        if (combat::awaitsInitiative(m_document.row(r)))
            rows << r;
    }
    m_bar().openInitiativeWalk(rows);
}

void FightKeys::walkNewcomers(const roster::Roster &before)
{
    QList<int> added;
    for (int r = 0; r < roster::RowCount; ++r) {
        if (before.rows[static_cast<std::size_t>(r)].name.isEmpty() && combat::awaitsInitiative(m_document.row(r)))
            added << r;
    }
    if (!added.isEmpty())
        m_bar().openInitiativeWalk(added);
}

int FightKeys::commandRow() const
{
    // With the target bar open, the combatant chosen there: Ctrl+H hides whom it names.
    if (const TargetBar *bar = m_shownBar(); bar && bar->isVisible() && bar->aimedRow() >= 0)
        return bar->aimedRow();
    // In a fight, the one whose turn it is, wherever the caret stands.
    if (m_document.currentRowHolds())
        return m_document.currentRow();
    const int focused = m_roster.focusedRow();
    return focused >= 0 && !m_document.row(focused).name.isEmpty() ? focused : -1;
}

void FightKeys::hideFromPlayers()
{
    if (m_reporter.report(m_document.toggleHidden(commandRow())))
        keyboardToFight();
}

void FightKeys::keyboardToFight()
{
    if (const TargetBar *bar = m_shownBar(); bar && bar->isAncestorOf(QApplication::focusWidget()))
        return;
    m_roster.focusOrderList();
}
