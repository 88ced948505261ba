#pragma once

#include "app/target/TargetChoice.h"
#include "combat/Amount.h"
#include "combat/Rolls.h"
#include "document/CommandResult.h"
#include "files/Library.h"
#include "roster/Fields.h"

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <functional>

class CombatDocument;
class CommandReporter;
class QKeyEvent;
class QLabel;
class QLineEdit;

// The bar at the bottom of the main window that aims a blow or a condition from the
// keyboard: a target chosen by a few letters of its name (or "#7", or Up and Down through
// the fighting order), more targets added with Space, then the amount, or the condition
// and its rounds, and Enter. In its Act Now mode the letters choose among those who put off
// their turns, and Enter has the one chosen act now; in its Go to mode any named row, and
// Enter or a field's key puts the caret in that field; in its Initiative mode it asks one
// combatant after another for its initiative; in its Library mode the letters choose a
// monster of the library, and a count and Enter add it. It is no dialog: the roster stays in sight and in use, and
// the bar takes the focus only while it is open.
class TargetBar : public QFrame
{
    Q_OBJECT

public:
    enum class Mode { Damage, Condition, ActNow, GoTo, Initiative, Library };

    TargetBar(CombatDocument &document, CommandReporter &reporter, QWidget *parent = nullptr);

    // Opens with `row` chosen, when it may be (-1: nobody yet), and takes the focus, to give
    // it back on closing.
    void open(Mode mode, int row);
    // The initiative walk through `rows`, one at a time; nothing opens for none.
    void openInitiativeWalk(const QList<int> &rows);
    void close();
    // Closes after the bar's command went through: the keyboard goes to the fight.
    void closeToFight();
    Mode mode() const { return m_mode; }

    // The row typed or stepped to (-1: none), and those added before it with Space.
    int chosenRow() const { return m_choice.chosen(); }
    const QList<int> &addedRows() const { return m_choice.added(); }
    // Whom Enter acts on, and whom Ctrl+H names.
    QList<int> targets() const { return m_choice.targets(); }
    int aimedRow() const { return m_choice.aimed(); }

    QLineEdit *targetEdit() const { return m_target; }
    // Go to puts the caret in a row's field through `goTo`, which answers false when the field
    // is greyed; the walk rolls through `roll`.
    // No field: the row's amount box.
    using GoTo = std::function<bool(int row, std::optional<roster::Field> field)>;
    void setGoTo(GoTo goTo) { m_goTo = std::move(goTo); }
    void setRoll(std::function<CommandResult(int row, int walk)> roll) { m_roll = std::move(roll); }
    // A blow's amount rolled (its dice, and a line of the Rolls list for them).
    // Rolls a blow's amount for `who` (the targets as the bar names them) into the Rolls
    // list; the rules' words about a blow (`said`) go there too.
    using RollAmount = std::function<combat::RolledAmount(const combat::Amount &, const QString &text, const QString &who)>;
    void setRollAmount(RollAmount roll, std::function<void(const QList<combat::RollRecord> &said)> tell)
    {
        m_rollAmount = std::move(roll);
        m_tell = std::move(tell);
    }
    // The library's entries as the indexer has them (none while it reads), and how a chosen
    // one comes into the roster `count` times.
    struct Library
    {
        std::function<const QList<files::LibraryEntry> &()> entries;
        std::function<bool()> reading;
        std::function<CommandResult(const roster::Row &row, int count)> add;
        // The library's files that could not be read and were not named yet; named as the
        // mode opens.
        std::function<QString()> takeProblems;
    };
    void setLibrary(Library library) { m_library = std::move(library); }
    // The library was read anew: what the letters choose is sought again among its entries.
    void libraryRead();
    // The library entry chosen (-1: none), an index into Library::entries().
    int chosenEntry() const { return m_libraryPick < 0 ? -1 : m_libraryMatches.value(m_libraryPick, -1); }
    // "=" in the amount takes the newest roll's total from `newest`; again, the total with its
    // criticals when the roll offers them.
    void setNewestTotals(std::function<QList<qint64>()> newest) { m_newestTotals = std::move(newest); }
    QLineEdit *amountEdit() const { return m_amount; }
    // What went wrong with the last key, or how to go on.
    QString status() const;

signals:
    // Another row was chosen: on a small screen the roster scrolls it into sight.
    void chosen(int row);
    void closed();
    // A blow, a condition or an act went through: the keyboard goes back to the fight (the
    // fighting-order list), not to the field it came from.
    void fightGoesOn();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A row the initiative walk asks, and the combatant it held then.
    struct WalkRow
    {
        int row = -1;
        quint32 serial = 0;
    };

    bool targetKey(QKeyEvent *key);
    bool goToKey(QKeyEvent *key);
    bool libraryKey(QKeyEvent *key);
    void chooseFromLibrary(const QString &typed);
    void addFromLibrary();
    void showLibraryChoice();
    void goToChosen(std::optional<roster::Field> field);
    bool walkKey(QKeyEvent *key);
    void askNext();
    bool stillAsked(const WalkRow &asked) const;
    void answer(const CommandResult &result);
    bool amountKey(QKeyEvent *key);
    bool conditionKey(QKeyEvent *key);
    void choose(const QString &typed);
    void addChosen(bool saved = false);
    bool moveToDetails();
    void apply();
    void applyBlow(const QList<int> &rows);
    void takeNewestTotal();
    void applyCondition(const QList<int> &rows);
    void followTheFight();
    void showChoice();
    void say(const QString &text);
    QString hint() const;
    QString notOffered(int row) const;
    QStringList knownConditions() const;
    QString knownSpelling(const QString &typed) const;

    void createControls();

    CombatDocument &m_document;
    CommandReporter &m_reporter;
    TargetChoice m_choice;
    Mode m_mode = Mode::Damage;
    QStringList m_usedConditions; // added through the bar in this session
    QPointer<QWidget> m_returnFocus;
    GoTo m_goTo;
    std::function<CommandResult(int, int)> m_roll;
    RollAmount m_rollAmount;
    std::function<QList<qint64>()> m_newestTotals;
    Library m_library;
    QList<int> m_libraryMatches; // the entries the letters name, best first
    int m_libraryPick = -1;      // which of them is chosen
    std::function<void(const QList<combat::RollRecord> &)> m_tell;
    // The initiative walk's rows still to ask, the one asked first, each with the combatant it
    // held when the walk began: one filled anew meanwhile is not asked.
    QList<WalkRow> m_walkRows;
    int m_walk = 0; // which walk: its answers are one step

    // Its controls: the fields, the pages of a blow's and a condition's, and the labels
    // (m_shown says whom the blow goes to, m_status what went wrong or how to go on).
    QLineEdit *m_target = nullptr, *m_amount = nullptr, *m_condition = nullptr, *m_rounds = nullptr;
    QWidget *m_blowPage = nullptr, *m_conditionPage = nullptr;
    QLabel *m_title = nullptr, *m_targetCaption = nullptr, *m_amountCaption = nullptr, *m_shown = nullptr,
           *m_status = nullptr;
};
