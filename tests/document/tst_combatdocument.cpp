// The combat document's rules without a window: what becomes a step, and the turn.
#include "document/CombatDocument.h"
#include "CommandChecks.h"

#include "files/CombatWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The party typed in: Orc, Goblin, Ogre with 5 hit points and initiatives 10, 11, 12.
void typeParty(CombatDocument &doc)
{
    const char *names[] = {"Orc", "Goblin", "Ogre"};
    for (int i = 0; i < 3; ++i) {
        QVERIFY_DONE(doc.setFieldText(i, roster::Field::HitPoints, u"5"_s));
        QVERIFY_DONE(doc.setFieldText(i, roster::Field::Initiative, QString::number(10 + i)));
        QVERIFY_DONE(doc.setFieldText(i, roster::Field::Name, QString::fromLatin1(names[i])));
        doc.closeMerge();
    }
}

} // namespace

class TestCombatDocument : public QObject
{
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
    void blows_data();
    void blows();
    void refusals_data();
    void refusals();
    void fight_data();
    void fight();
    void addCombatants_data();
    void addCombatants();
    void monstersDieAtZeroWhenLoaded();
};

// Each script runs on a document with the party typed in; letters are what the user does:
// a: 20 typed in row 2's amount box; s: Substract row 2; x: "x" typed into row 2's note;
// b: Backspace there; t: "!" typed into row 3's name; n: "D" typed into Other Notes;
// o: the focus moves on and "Orc" is typed into row 4's name; i: row 2's box cleared;
// z: undo; y: redo.
void TestCombatDocument::steps_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("amount"); // row 2's amount box afterwards
    QTest::addColumn<QString>("note");   // row 2's note afterwards
    QTest::addColumn<QString>("undoText");
    QTest::addColumn<bool>("canRedo");
    QTest::newRow("the amount typed and its blow are one step") << u"asz"_s << u""_s << u""_s
                                                                << u"typing in Row 3 Name"_s << true;
    QTest::newRow("another edit between keeps them apart") << u"axsz"_s << u"20"_s << u"x"_s
                                                           << u"typing in Row 2 Random Note"_s << true;
    QTest::newRow("typed and taken back is no step") << u"xb"_s << u""_s << u""_s << u"typing in Row 3 Name"_s
                                                     << false;
    QTest::newRow("keystrokes merge") << u"xx"_s << u""_s << u"xx"_s << u"typing in Row 2 Random Note"_s << false;
    QTest::newRow("a new change clears redo") << u"xzt"_s << u""_s << u""_s << u"typing in Row 3 Name"_s << false;
    QTest::newRow("redo") << u"aszy"_s << u""_s << u""_s << u"Substract Row 2 (Goblin)"_s << false;
    QTest::newRow("a box is a step") << u"xi"_s << u""_s << u"x"_s << u"Exclude Row 2 (Goblin)"_s << false;
    QTest::newRow("the first note edit is a step of its own") << u"noz"_s << u""_s << u""_s
                                                             << u"typing in Other Notes"_s << true;
}

void TestCombatDocument::steps()
{
    QFETCH(QString, script);
    CombatDocument doc;
    typeParty(doc);
    combat::RandomDice dice(1);
    QList<combat::RollRecord> lines;
    for (const QChar action : script) {
        const roster::Row &row = doc.row(1);
        switch (action.unicode()) {
        case u'a': QVERIFY_DONE(doc.setAmount(1, row.amount + u"20"_s)); break;
        case u's': QVERIFY_DONE(doc.subtract(1, dice, lines)); break;
        case u'x': QVERIFY_DONE(doc.setFieldText(1, roster::Field::Note, row.note + u'x')); break;
        case u'b': QVERIFY_DONE(doc.setFieldText(1, roster::Field::Note, row.note.chopped(1))); break;
        case u't':
            doc.closeMerge();
            QVERIFY_DONE(doc.setFieldText(2, roster::Field::Name, doc.row(2).name + u'!'));
            break;
        case u'n': QVERIFY_DONE(doc.setGeneralNote(doc.roster().generalNote + u'D')); break;
        case u'o':
            doc.closeMerge();
            QVERIFY_DONE(doc.setFieldText(3, roster::Field::Name, u"Orc"_s));
            break;
        case u'i': QVERIFY_DONE(doc.setIncluded(1, false)); break;
        case u'z': QVERIFY_DONE(doc.undo()); break;
        case u'y': QVERIFY_DONE(doc.redo()); break;
        }
    }
    QTEST(doc.row(1).amount, "amount");
    QTEST(doc.row(1).note, "note");
    QTEST(doc.history().undoText(), "undoText");
    QTEST(doc.history().canRedo(), "canRedo");
    if (script == u"noz"_s) {
        QCOMPARE(doc.roster().generalNote, u"D"_s);
        QCOMPARE(doc.row(3).name, QString());
    }
}

// The order, the turn and the notes through undo and redo. The party: Ogre 12, Goblin 11,
// Orc 10; the Ogre holds "[Held: 1]". Keys: 5 calculate, 6 next, S previous, Z undo, Y redo,
// K a Kobold with initiative 20 and "[Held: 3]" typed into row 4, N New Combat; R the Ogre
// renamed "Ogre chief", E its name emptied and typed again, C its row cleared and the name
// typed again, H Hide from Players on it.
void TestCombatDocument::blows_data()
{
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<double>("amount");
    QTest::addColumn<QString>("ogreHitPoints"); // row 3's afterwards
    QTest::addColumn<QString>("undoText");
    QTest::newRow("one") << QList<int>{2} << 7.0 << u"-2"_s << u"Damage Ogre (7)"_s;
    QTest::newRow("heal") << QList<int>{2} << -5.0 << u"10"_s << u"Heal Ogre (5)"_s;
    QTest::newRow("several") << QList<int>{0, 1, 2} << 14.0 << u"-9"_s << u"Damage 3 combatants (14)"_s;
    QTest::newRow("down by it") << QList<int>{2} << 15.0 << u"-10"_s << u"Damage Ogre (15)"_s;
}

void TestCombatDocument::blows()
{
    QFETCH(QList<int>, rows);
    QFETCH(double, amount);
    CombatDocument doc;
    typeParty(doc);
    QVERIFY_DONE(doc.blow(rows, amount));
    QTEST(doc.row(2).hp, "ogreHitPoints");
    QCOMPARE(doc.row(2).down, doc.row(2).hp == u"-10"_s);
    QTEST(doc.history().undoText(), "undoText");
}

// Every refusal of a command, on the party: its sentence, the field it names, if any, and
// nothing changed, not even the history.
void TestCombatDocument::refusals_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("sentence");
    QTest::addColumn<int>("row"); // of the field named; -1: none
    QTest::addColumn<int>("field");
    const int none = -1;
    QTest::newRow("a blow to an empty row") << u"blow 4"_s << u"Row 5 holds nobody to strike. Nothing was changed."_s
                                            << -1 << none;
    QTest::newRow("a heal beyond a double") << u"heal 2 0"_s
        << u"Row 1 (Orc): the hit points cannot take this amount. Nothing was changed."_s << 0 << int(roster::Field::HitPoints);
    QTest::newRow("a condition on an empty row") << u"condition 4"_s
        << u"Row 5 holds nobody to suffer a condition. Nothing was changed."_s << -1 << none;
    QTest::newRow("0 rounds") << u"rounds 0"_s << u"A condition lasts 1 to 99 rounds."_s << -1 << none;
    QTest::newRow("100 rounds") << u"rounds 100"_s << u"A condition lasts 1 to 99 rounds."_s << -1 << none;
    QTest::newRow("no condition's name") << u"name [x]"_s
        << u"Type the condition's name: letters, digits, blanks, - and '."_s << -1 << none;
    QTest::newRow("a condition past what a note can edit") << u"long condition"_s
        << u"Row 3 (Ogre): the note would be too long to edit with the condition. Nothing was changed."_s << 2
        << int(roster::Field::Note);
    QTest::newRow("hiding an empty row") << u"hide 4"_s
        << u"Put the cursor in a combatant's row, or mark a turn, to hide it from the players."_s << -1 << none;
    QTest::newRow("hiding nobody") << u"hide -1"_s
        << u"Put the cursor in a combatant's row, or mark a turn, to hide it from the players."_s << -1 << none;
    QTest::newRow("a tag past what a note can edit, hidden or not") << u"long tag"_s
        << u"Row 3 (Ogre): the note would be too long to edit with the tag [Hidden]. Nothing was changed."_s << 2
        << int(roster::Field::Note);
    QTest::newRow("a spin beyond a double") << u"spin HP"_s
        << u"Row 3 (Ogre): the hit points \"1e999\" are out of range."_s << 2 << int(roster::Field::HitPoints);
    QTest::newRow("an AC spin beyond a double") << u"spin AC"_s
        << u"Row 3 (Ogre): the armour class \"1e999\" is out of range."_s << 2 << int(roster::Field::ArmourClass);
    QTest::newRow("an initiative beyond a double") << u"calculate"_s
        << u"Row 3 (Ogre): the initiative \"1e999\" is out of range."_s << 2 << int(roster::Field::Initiative);
    QTest::newRow("nothing to redo") << u"redo"_s << u"There is nothing to redo."_s << -1 << none;
    QTest::newRow("a delay before the fight") << u"delay"_s
        << u"No one's turn runs: calculate the order (F5), then Next Turn (F6) begins the fight."_s << -1 << none;
    QTest::newRow("a turn put off twice") << u"fight 6DS delay"_s
        << u"Row 3 (Ogre) has put off this turn already: Act Now (F12) takes it at its place, Next Turn (F6) goes on."_s << -1 << none;
    QTest::newRow("acting out of turn, then a delay") << u"fight 6DA delay"_s
        << u"Row 3 (Ogre) acts out of turn now; only a turn just begun in its own place can be put off."_s << -1 << none;
    QTest::newRow("nobody to act now") << u"fight 6 act 2"_s << u"Nobody is delaying or ready to act now."_s << -1 << none;
    QTest::newRow("acting now without waiting") << u"fight 6D act 0"_s
        << u"Row 1 (Orc) is neither delaying nor ready."_s << -1 << none;
}

void TestCombatDocument::refusals()
{
    QFETCH(QString, command);
    CombatDocument doc;
    typeParty(doc);
    const QString beyond = u"1e999"_s;
    const QString longNote(roster::EditableFieldLength - 5, u'x');
    const QStringList words = command.split(u' ');
    if (command == u"heal 2 0"_s)
        QVERIFY_DONE(doc.setFieldText(0, roster::Field::HitPoints, u"1e308"_s));
    if (command.startsWith(u"long"_s))
        QVERIFY_DONE(doc.setFieldText(2, roster::Field::Note, longNote));
    if (command == u"spin HP"_s || command == u"calculate"_s)
        QVERIFY_DONE(doc.setFieldText(2, command == u"calculate"_s ? roster::Field::Initiative : roster::Field::HitPoints,
                                      beyond));
    if (command == u"spin AC"_s)
        QVERIFY_DONE(doc.setFieldText(2, roster::Field::ArmourClass, beyond));
    // "fight" and its turns: 6 next, D delay, S previous, A the one who waits acts now.
    if (words[0] == u"fight"_s) {
        QVERIFY_DONE(doc.calculateOrder());
        for (const QChar key : words[1]) {
            if (key == u'6')
                QVERIFY_DONE(doc.nextTurn());
            if (key == u'D')
                QVERIFY_DONE(doc.putOffTurn(combat::TurnKind::Delayed));
            if (key == u'S')
                QVERIFY_DONE(doc.previousTurn());
            if (key == u'A')
                QVERIFY_DONE(doc.actNow(doc.waitingRows().value(0)));
        }
    }
    doc.closeMerge();
    const CombatState before = doc.state();
    const int steps = doc.history().count();

    CommandResult result = CommandResult::done();
    if (words[0] == u"blow"_s)
        result = doc.blow({words[1].toInt()}, 7);
    else if (words[0] == u"heal"_s)
        result = doc.blow({2, 0}, -1e308);
    else if (words[0] == u"condition"_s)
        result = doc.addCondition({1, words[1].toInt()}, u"Stunned"_s, 2);
    else if (words[0] == u"rounds"_s)
        result = doc.addCondition({1}, u"Stunned"_s, words[1].toInt());
    else if (words[0] == u"name"_s)
        result = doc.addCondition({1}, words[1], 2);
    else if (command == u"long condition"_s)
        result = doc.addCondition({1, 2}, u"Stunned"_s, 2);
    else if (words[0] == u"hide"_s)
        result = doc.toggleHidden(words[1].toInt());
    else if (command == u"long tag"_s)
        result = doc.toggleHidden(2);
    else if (words[0] == u"spin"_s)
        result = doc.stepSpin(2, words[1] == u"HP"_s ? CombatDocument::SpinField::HitPoints
                                                     : CombatDocument::SpinField::ArmourClass, 1, false);
    else if (command == u"calculate"_s)
        result = doc.calculateOrder();
    else if (command == u"redo"_s)
        result = doc.redo();
    else if (words.last() == u"delay"_s)
        result = doc.putOffTurn(combat::TurnKind::Delayed);
    else if (words.size() > 1 && words[words.size() - 2] == u"act"_s)
        result = doc.actNow(words.last().toInt());

    QVERIFY(result.isRefused());
    QTEST(result.sentence(), "sentence");
    QFETCH(int, row);
    QCOMPARE(result.place().has_value(), row >= 0);
    if (row >= 0) {
        QCOMPARE(result.place()->row, row);
        QTEST(int(result.place()->field), "field");
    }
    QVERIFY(doc.state() == before);
    QCOMPARE(doc.history().count(), steps);
    if (command == u"long tag"_s) {
        // Taking the tag out of a note too long for it is no refusal.
        QVERIFY_DONE(doc.setFieldText(2, roster::Field::Note, longNote + u" [Hidden] x"_s));
        QVERIFY_DONE(doc.toggleHidden(2));
        QCOMPARE(doc.row(2).note, longNote + u" x"_s);
    }
}

void TestCombatDocument::fight_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<QString>("line"); // "round marked-item", as the turn line tells it
    QTest::addColumn<QString>("notes"); // the Ogre's and the Kobold's
    const QStringList three{u"12 - Ogre"_s, u"11 - Goblin"_s, u"10 - Orc"_s};
    const QStringList four = QStringList{u"20 - Kobold"_s} + three;
    QTest::newRow("calculate is a step") << u"5Z"_s << QStringList{} << u"0 "_s << u"[Held: 1] | "_s;
    QTest::newRow("and redone") << u"5ZY"_s << three << u"0 "_s << u"[Held: 1] | "_s;
    QTest::newRow("undo past a calculation") << u"566K5Z"_s << three << u"1 11 - Goblin"_s << u" | [Held: 3]"_s;
    QTest::newRow("redo, then the turn") << u"566K5ZY6"_s << four << u"1 10 - Orc"_s << u" | [Held: 3]"_s;
    QTest::newRow("undo a turn gives back its tick") << u"56Z"_s << three << u"0 "_s << u"[Held: 1] | "_s;
    QTest::newRow("redo ticks again") << u"56ZY"_s << three << u"1 12 - Ogre"_s << u" | "_s;
    QTest::newRow("undo and redo over a round's start") << u"566K566ZY6"_s << four << u"2 12 - Ogre"_s
                                                        << u" | [Held: 2]"_s;
    QTest::newRow("new combat ends the turns, keeps the list") << u"56N"_s << three << u"0 "_s << u" | "_s;
    QTest::newRow("a rename keeps the turn") << u"56R"_s << three << u"1 12 - Ogre"_s << u" | "_s;
    QTest::newRow("and the combatant") << u"56R66"_s << three << u"1 10 - Orc"_s << u" | "_s;
    QTest::newRow("emptied and typed again: the same combatant") << u"56E666"_s << three << u"2 12 - Ogre"_s << u" | "_s;
    QTest::newRow("cleared and typed again: another") << u"56C666"_s << three << u"2 11 - Goblin"_s << u" | "_s;
    QTest::newRow("hidden and revealed: one step each") << u"HHZ"_s << QStringList{} << u"0 "_s
                                                        << u"[Held: 1] [Hidden] | "_s;
}

void TestCombatDocument::fight()
{
    QFETCH(QString, keys);
    CombatDocument doc;
    typeParty(doc);
    QVERIFY_DONE(doc.setFieldText(2, roster::Field::Note, u"[Held: 1]"_s));
    for (const QChar key : keys) {
        switch (key.unicode()) {
        case u'5': QVERIFY_DONE(doc.calculateOrder()); break;
        case u'6': QVERIFY_DONE(doc.nextTurn()); break;
        case u'S': QVERIFY_DONE(doc.previousTurn()); break;
        case u'Z': QVERIFY_DONE(doc.undo()); break;
        case u'Y': QVERIFY_DONE(doc.redo()); break;
        case u'N': QVERIFY_DONE(doc.newCombat()); break;
        case u'R': QVERIFY_DONE(doc.setFieldText(2, roster::Field::Name, u"Ogre chief"_s)); break;
        case u'E':
            QVERIFY_DONE(doc.setFieldText(2, roster::Field::Name, QString()));
            QVERIFY_DONE(doc.setFieldText(2, roster::Field::Name, u"Ogre"_s));
            break;
        case u'H': QVERIFY_DONE(doc.toggleHidden(2)); break;
        case u'C':
            QVERIFY_DONE(doc.clearRow(2));
            QVERIFY_DONE(doc.setFieldText(2, roster::Field::Name, u"Ogre"_s));
            break;
        case u'K':
            QVERIFY_DONE(doc.setFieldText(4, roster::Field::Name, u"Kobold"_s));
            QVERIFY_DONE(doc.setFieldText(4, roster::Field::Initiative, u"20"_s));
            QVERIFY_DONE(doc.setFieldText(4, roster::Field::Note, u"[Held: 3]"_s));
            break;
        }
    }
    QStringList order;
    for (const combat::OrderEntry &entry : doc.order())
        order << entry.text;
    QTEST(order, "order");
    const int item = doc.markedItem();
    QTEST(QString::number(doc.state().turn.round()) + u' ' + (item >= 0 ? doc.order().at(item).text : QString()),
          "line");
    QTEST(doc.row(2).note + u" | "_s + doc.row(4).note, "notes");
}

// A combat file of the named rows `rows` ("Name" or "Name:HP"), with or without check values.
QByteArray combatFile(const QStringList &rows, bool checks = true)
{
    roster::Roster arrivals;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QStringList parts = rows[i].split(u':');
        arrivals.rows[i].name = parts[0];
        arrivals.rows[i].hp = parts.value(1);
    }
    QByteArray bytes = files::combatFileBytes(arrivals);
    if (!checks)
        bytes.replace("Check=1\r\n", "");
    return bytes;
}

// The file read as a load reads it, into a combat of Aldric, Sela and Wolf in rows 1, 2 and 4.
void TestCombatDocument::addCombatants_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("names"); // rows 1 to 6 afterwards
    QTest::addColumn<QString>("undoText");  // "" when nothing was added
    QTest::addColumn<bool>("oldVersion");
    const QStringList party{u"Aldric"_s, u"Sela"_s, u""_s, u"Wolf"_s, u""_s, u""_s};
    QTest::newRow("one step") << combatFile({u"Goblin"_s, u""_s, u"Orc"_s})
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Goblin"_s, u"Wolf"_s, u"Orc"_s, u""_s}
        << u"Add Combatants (2)"_s << false;
    QTest::newRow("an older file") << combatFile({u"Kobold"_s}, false)
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Kobold"_s, u"Wolf"_s, u""_s, u""_s}
        << u"Add Combatants (1)"_s << true;
    QTest::newRow("down by its hit points") << combatFile({u"Troll:-12"_s})
        << QStringList{u"Aldric"_s, u"Sela"_s, u"Troll"_s, u"Wolf"_s, u""_s, u""_s}
        << u"Add Combatants (1)"_s << false;
    QTest::newRow("nothing to add: a message") << combatFile({u"  "_s}) << party << u""_s << false;
}

void TestCombatDocument::addCombatants()
{
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"arrivals.ini"_s);
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();

    CombatDocument doc;
    QVERIFY_DONE(doc.setFieldText(0, roster::Field::Name, u"Aldric"_s));
    QVERIFY_DONE(doc.setFieldText(1, roster::Field::Name, u"Sela"_s));
    QVERIFY_DONE(doc.setFieldText(3, roster::Field::Name, u"Wolf"_s));
    QVERIFY_DONE(doc.setAmount(2, u"4"_s)); // a free row's amount box stays
    const roster::Roster before = doc.roster();
    const CommandResult outcome = doc.addCombatants(path);

    QStringList names;
    for (int r = 0; r < 6; ++r)
        names << doc.state().roster.rows[r].name;
    QTEST(names, "names");
    QFETCH(QString, undoText);
    QCOMPARE(doc.history().undoText(), undoText.isEmpty() ? u"typing in Row 3 amount"_s : undoText);
    QCOMPARE(outcome.isDone(), !undoText.isEmpty());
    QTEST(!outcome.notices().isEmpty() && outcome.notices()[0].title == files::OldVersionTitle, "oldVersion");
    QCOMPARE(doc.state().roster.rows[2].amount, u"4"_s);
    QCOMPARE(doc.lastAddedPath(), path);
    QCOMPARE(doc.state().roster.rows[2].down, doc.state().roster.rows[2].hp == u"-12"_s);
    if (!undoText.isEmpty()) {
        QVERIFY_DONE(doc.undo());
        QCOMPARE(doc.roster(), before); // one step takes it all back
    }
}

// A file written by the rule at -10 comes in by the table's rule: with Monsters Die at 0 the
// monster at -3 is down, loaded or added; without, it is dying as it was saved.
void TestCombatDocument::monstersDieAtZeroWhenLoaded()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"dying.ini"_s);
    QFile out(path);
    const QByteArray file = combatFile({u"Troll:-3"_s, u"Orc:4"_s});
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
    out.close();
    for (const bool atZero : {false, true}) {
        CombatDocument doc;
        doc.setMonstersDieAtZero(atZero);
        QVERIFY_DONE(doc.load(path));
        QCOMPARE(doc.row(0).down, atZero);
        QVERIFY(!doc.row(1).down);
        QVERIFY_DONE(doc.newCombat());
        QVERIFY_DONE(doc.addCombatants(path));
        QCOMPARE(doc.row(0).down, atZero);
    }
}

QTEST_GUILESS_MAIN(TestCombatDocument)
#include "tst_combatdocument.moc"
