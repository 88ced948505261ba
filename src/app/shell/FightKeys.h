#pragma once

#include "app/target/TargetBar.h"
#include "roster/Roster.h"

#include <functional>

class CombatDocument;
class CommandReporter;
class RosterView;

// The commands a game master aims at the fight from the keyboard: the target bar opened in
// its modes, Act Now, the initiative walk, whom Hide from Players and the rolls aim at, and
// where the keyboard goes after the fight's commands.
class FightKeys
{
public:
    // `bar` makes the target bar when first asked; `shownBar` is it once made, else null.
    FightKeys(CombatDocument &document, CommandReporter &reporter, RosterView &roster,
              std::function<TargetBar &()> bar, std::function<TargetBar *()> shownBar);

    // The bar that aims a blow or a condition, the current combatant chosen first (with no
    // turn marked, the focused row); Go to starts from the same row.
    void openBar(TargetBar::Mode mode);
    // The one who put off its turn acts now; with several, the bar asks who.
    void actNow();
    // Ctrl+I: the walk through everyone in the fight with no roll.
    void walkInitiative();
    // After Add Combatants: the walk through the rows filled since `before` that need a roll.
    void walkNewcomers(const roster::Roster &before);
    // Whom Hide from Players, Roll Attack and Roll Damage aim at: the bar's choice while it is
    // open, else the current combatant, and only with no fight running the focused row when
    // it holds someone; -1 with none.
    int commandRow() const;
    void hideFromPlayers();
    // After the fight's commands the keyboard goes to the fighting-order list, where a stray
    // digit or Enter changes nothing; an open bar keeps the keys typed into it.
    void keyboardToFight();

private:
    CombatDocument &m_document;
    CommandReporter &m_reporter;
    RosterView &m_roster;
    std::function<TargetBar &()> m_bar;
    std::function<TargetBar *()> m_shownBar;
};
