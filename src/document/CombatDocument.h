#pragma once

#include "combat/Amount.h"
#include "combat/DownRow.h"
#include "combat/Initiative.h"
#include "combat/Reinforcements.h"
#include "document/CombatState.h"
#include "document/CommandResult.h"
#include "document/UndoHistory.h"
#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "roster/Fields.h"

#include <QList>
#include <QObject>
#include <QString>

// One combat: its state as of the newest step of the undo history, and the files it was
// saved to or loaded from. The windows show it and tell it what the user did the moment
// it happens; every change goes through one private path that records it as one step of
// the history, named as the Edit menu shows it.
class CombatDocument : public QObject
{
    Q_OBJECT

public:
    enum class SpinField { HitPoints, ArmourClass };

    explicit CombatDocument(QObject *parent = nullptr);

    const CombatState &state() const { return m_state; }
    const roster::Roster &roster() const { return m_state.roster; }
    const roster::Row &row(int index) const { return m_state.roster.rows[static_cast<std::size_t>(index)]; }
    // The fighting-order list as last calculated, and the item of the current turn (-1: none).
    const QList<combat::OrderEntry> &order() const { return m_state.order; }
    int markedItem() const;
    // The item's combatant is still in the fight (its row holds them, not down, included).
    bool isInFight(int item) const;
    // The row of the current combatant, or -1.
    int currentRow() const;
    // The current combatant's row still holds them (not cleared or renamed since).
    bool currentRowHolds() const;
    const UndoHistory &history() const { return m_history; }
    // The step Undo (or Redo) would take is one of the fight's commands: a turn, Delay, Ready,
    // Act Now, the order calculated or moved, a blow, a condition, Hide from Players.
    bool isFightStep(bool undo) const { return undo ? m_history.undoIsFight() : m_history.redoIsFight(); }
    // The state a combat file holds: as last saved or loaded (at first, the empty combat,
    // which needs no file).
    const CombatState &savedState() const { return m_savedState; }
    // The combat differs from what a file holds in more than the amount boxes, which no
    // file keeps.
    bool hasUnsavedChanges() const;
    // "Row 3" or "Row 3 (Goblin)", as step names and refusals call a row.
    QString rowLabel(int index) const;

    // The path last chosen in the save dialog, and the last combat file saved or loaded.
    const QString &savePath() const { return m_savePath; }
    const QString &lastCombatPath() const { return m_lastCombatPath; }
    // The last file whose combatants were added.
    const QString &lastAddedPath() const { return m_lastAddedPath; }

    // The commands. Each is done, or refused with its sentence and nothing changed
    // (CommandResult); none throws.
    //
    // The user's edits. Successive edits of one text are one step until closeMerge();
    // a text equal to the document's is no edit.
    CommandResult setFieldText(int row, roster::Field field, const QString &text);
    CommandResult setAmount(int row, const QString &text);
    CommandResult setGeneralNote(const QString &text);
    CommandResult setIncluded(int row, bool included);
    // The user moved on: the next edit starts a step of its own.
    void closeMerge() { m_history.closeMerge(); }

    // A spin button's step; the steps of one held button are one step of the history. At a
    // bound the text stays, and that is done too; a number beyond a double is refused.
    CommandResult stepSpin(int row, SpinField field, int direction, bool held);
    // Substract (combat::subtractDamage): the row's amount, its dice rolled with `dice` into
    // `lines` for the Rolls list.
    CommandResult subtract(int row, combat::Dice &dice, QList<combat::RollRecord> &lines);
    CommandResult clearRow(int row);
    CommandResult newCombat();
    // The list is calculated again; the turn stays with its combatant.
    CommandResult calculateOrder();
    // Moves the fighting order's item one place up (`step` -1) or down (+1), as the game
    // master settles a tie or any order; nothing happens at either end.
    CommandResult moveInOrder(int item, int step);
    // With nobody who can act, nothing changes.
    CommandResult nextTurn();
    CommandResult previousTurn();
    // Delay or Ready (`kind`, combat::putOffTurn): the current combatant puts off its turn and
    // waits, "Delay Ilyra", and the next turn begins. Refused with no turn running, or one not
    // begun at its place (acting out of turn, or put off already).
    CommandResult putOffTurn(combat::TurnKind kind);
    // The combatant of `row`, who put off its turn, acts now before the current one, "Ilyra
    // Acts Now" (combat::actNow). Refused for one who does not wait.
    CommandResult actNow(int row);
    // The rows of those who put off their turns and may act now, in the order; the current
    // combatant's when Previous Turn came back to a turn it put off.
    QList<int> waitingRows() const;
    // The condition to each of `rows` (a fireball's victims, say) as one step, "Add Stunned
    // to Goblin (2)". While a combatant's turn runs the condition names them as its source
    // ("[Stunned: 2, Ilyra]", combat::sourceOf), so it counts down at their turns. Refused for a name that cannot be a condition, rounds outside 1 to 99,
    // an empty row, or a note the condition would make too long to edit.
    CommandResult addCondition(const QList<int> &rows, const QString &name, int rounds);
    // A blow to each of `rows` by the hit-point rules (combat::changeHitPoints), as one step
    // named after it: "Damage Wolf 2 (7)", "Heal Sela (5)", "Damage 4 combatants (14)",
    // "Temporary Hit Points to Borin (8)", "Nonlethal Damage to Ogre (7)", with the dice it was
    // rolled from when `rolled` names them ("Damage Wolf 2 (21: 6d6)"). The rows in `saved`
    // made their saves and take half of a damage, rounded down. `said` gets lines for the Rolls
    // list of what the rules did that the game master could not see coming ("Borin, blow -10:
    // healed 5, to the maximum 45"). Refused for an empty row, hit points that cannot take it, or a note it would make
    // too long to edit.
    struct Blow
    {
        combat::Amount::Kind kind = combat::Amount::Kind::Hit;
        double amount = 0; // a Hit's negative amount heals
        QString rolled;
        QList<int> saved;
    };
    CommandResult blow(const QList<int> &rows, const Blow &blow, QList<combat::RollRecord> *said = nullptr);
    CommandResult blow(const QList<int> &rows, double damage) { return blow(rows, Blow{{}, damage, {}, {}}); }
    // Whether a monster (a row without [PC]) is down at 0 hit points already, for every change
    // of hit points from here on and every row loaded or added (combat::DownRule).
    void setMonstersDieAtZero(bool on) { m_downRule.monstersAtZero = on; }
    // Rolls initiative into the fields that roll (combat::rollInitiative) as one step, "Roll
    // Initiative", "Roll Initiative for Monsters" or "Roll Initiative Again"; `lines` gets the
    // lines for the Rolls list.
    CommandResult rollInitiative(combat::Dice &dice, const combat::InitiativeChoice &choice,
                                 QList<combat::RollRecord> &lines);
    // One answer of the initiative walk (Ctrl+I): a whole number as the player rolled it into
    // the row's Current Initiative (combat::typedInitiative), or a roll of the dice for it. The
    // answers of one walk (`walk`, a number its bar keeps) are one step, "Enter Initiative".
    // Refused for anything but a whole number.
    CommandResult enterInitiative(int row, const QString &typed, int walk);
    CommandResult rollInitiativeInWalk(int row, combat::Dice &dice, bool groups, int walk,
                                       QList<combat::RollRecord> &lines);
    // Hides the row's combatant from the players ("[Hidden]" in its note), or reveals it.
    // Refused for a row that holds nobody, or a note the tag would make too long to edit.
    CommandResult toggleHidden(int row);

    // One step back or forward; refused when there is none.
    CommandResult undo();
    CommandResult redo();

    // Loads the file at `path` as one step; a file that cannot be loaded changes nothing.
    // Warnings of an old or cut-off file, or of a fight dropped, are its notices.
    CommandResult load(const QString &path);
    // Adds the named rows of the combat file at `path` to the free rows, as one step
    // (combat::addCombatants); the file is read as a load reads it. Refused when the file
    // cannot be read or nothing of it fits.
    CommandResult addCombatants(const QString &path);
    // New combatants from stat blocks or the library: each row `count` times, in order, into
    // the first free rows, twins numbered as Add Combatants numbers them, as one step named
    // `what` ("Add from Stat Block (3)"). Refused, with nothing added, when they do not all fit.
    struct Arrival
    {
        roster::Row row;
        int count = 1;
    };
    CommandResult addRows(const QList<Arrival> &arrivals, const QString &what);
    // Takes back the combat of a state file's bytes (files/StateFile.h) as one step, "Restore
    // Combat": rows, boxes, fight and turn. Neither the save path nor the last combat file
    // changes, and no file holds the combat yet.
    CommandResult restore(const QByteArray &stateFileBytes);
    // Saves the combat to `path`, which becomes the save path.
    CommandResult save(const QString &path);

signals:
    // The state or the history changed: show them again.
    void changed();
    // The list was calculated again, or a step brought another list back.
    void orderChanged();
    // A save or a load: savedState() is the state now.
    void saved();

private:
    // The one path of every change: `next` becomes the state, recorded as the step `what`.
    CommandResult commit(CombatState next, const QString &what, const QString &mergeKey = QString());
    // The same, for one of the fight's commands (UndoHistory::push).
    CommandResult commitFight(CombatState next, const QString &what);
    CommandResult record(CombatState next, const QString &what, const QString &mergeKey, bool fight);
    // The row holds another combatant from now on (Clear, New Combat, Add Combatants), not the
    // one the list knows it by; an edit of its name, even to nothing and back, keeps that one.
    static void renewCombatant(CombatState &state, int row);
        // Becomes the state without a step (undo, redo).
    void show(const CombatState &state);
    // A row just loaded or added, down where Monsters Die at 0 says so.
    void downByTheRule(roster::Row &row) const;
    // The rows of a load, and the fight the file kept, as one step.
    void takeLoaded(files::LoadOutcome &outcome, const QString &what);
    CommandResult edit(const QString &what, const QString &mergeKey,
                       const std::function<void(roster::Roster &)> &change);
    // Runs a command's body: an error of the field rules refuses it, naming its field.
    static CommandResult attempt(const std::function<CommandResult()> &body);

    UndoHistory m_history;
    CombatState m_state;
    combat::DownRule m_downRule;
    CombatState m_savedState;
    QString m_savePath;
    QString m_lastCombatPath;
    QString m_lastAddedPath;
};
