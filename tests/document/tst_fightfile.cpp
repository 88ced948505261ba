// The fight kept in a combat file: saved mid-fight and loaded after New Combat, the fight
// goes on exactly as it would have; a section that no longer fits its rows is dropped.
#include "document/CombatDocument.h"
#include "CommandChecks.h"

#include "files/CombatWriter.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Orc, Goblin, Ogre and Kobold (initiatives 10 to 13), the Ogre "[Held: 2]".
void typeParty(CombatDocument &doc)
{
    const QStringList names{u"Orc"_s, u"Goblin"_s, u"Ogre"_s, u"Kobold"_s};
    for (int r = 0; r < names.size(); ++r) {
        QVERIFY_DONE(doc.setFieldText(r, roster::Field::HitPoints, u"20"_s));
        QVERIFY_DONE(doc.setFieldText(r, roster::Field::Initiative, QString::number(10 + r)));
        QVERIFY_DONE(doc.setFieldText(r, roster::Field::Name, names[r]));
        doc.closeMerge();
    }
    QVERIFY_DONE(doc.setFieldText(2, roster::Field::Note, u"[Held: 2]"_s));
}

// 5 calculate, 6 next, S previous, W a Wolf joins above the marker (initiative 30),
// H hide the Goblin, D the Orc damaged by 25 (down), K the Kobold dying (-3), T the Goblin
// ties with the Orc (10), M the last item moved one place up, C the Goblin stunned for 2 rounds
// by the one whose turn it is, L the current combatant delays, R readies, A the first who
// waits acts now.
void play(CombatDocument &doc, const QString &keys)
{
    for (const QChar key : keys) {
        switch (key.unicode()) {
        case u'5': QVERIFY_DONE(doc.calculateOrder()); break;
        case u'6': QVERIFY_DONE(doc.nextTurn()); break;
        case u'S': QVERIFY_DONE(doc.previousTurn()); break;
        case u'W':
            QVERIFY_DONE(doc.setFieldText(5, roster::Field::Name, u"Wolf"_s));
            QVERIFY_DONE(doc.setFieldText(5, roster::Field::Initiative, u"30"_s));
            QVERIFY_DONE(doc.setFieldText(5, roster::Field::HitPoints, u"11"_s));
            break;
        case u'H': QVERIFY_DONE(doc.toggleHidden(1)); break;
        case u'D': QVERIFY_DONE(doc.blow({0}, 25)); break;
        case u'K': QVERIFY_DONE(doc.blow({3}, 23)); break;
        case u'T': QVERIFY_DONE(doc.setFieldText(1, roster::Field::Initiative, u"10"_s)); break;
        case u'M': QVERIFY_DONE(doc.moveInOrder(int(doc.order().size()) - 1, -1)); break;
        case u'C': QVERIFY_DONE(doc.addCondition({1}, u"Stunned"_s, 2)); break;
        case u'L': QVERIFY_DONE(doc.putOffTurn(combat::TurnKind::Delayed)); break;
        case u'R': QVERIFY_DONE(doc.putOffTurn(combat::TurnKind::Readied)); break;
        case u'A': QVERIFY_DONE(doc.actNow(doc.waitingRows().value(0, -1))); break;
        }
    }
}

// What a fight shows and does, without the serials a load renews.
QString fightOf(const CombatDocument &doc)
{
    QStringList parts;
    for (qsizetype i = 0; i < doc.order().size(); ++i)
        parts << doc.order()[i].text + (doc.isInFight(int(i)) ? u""_s : u" (out)"_s);
    parts << QStringLiteral("round %1, item %2").arg(doc.state().turn.round()).arg(doc.markedItem());
    for (int r = 0; r < 6; ++r)
        parts << doc.row(r).note;
    QStringList waiting;
    for (const int r : doc.waitingRows())
        waiting << QString::number(r);
    parts << u"waiting "_s + waiting.join(u',');
    return parts.join(u" | "_s);
}

// The file as an earlier version writes it: format 2, turns without `kind` and ties without an
// acting place; format 1, also without `counted` and `others`, and no ties.
void asEarlierVersion(const QString &path, int format)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        qFatal("cannot open %s", qPrintable(path));
    QString text = QString::fromLatin1(file.readAll());
    text.replace(u"Format=3"_s, u"Format=%1"_s.arg(format));
    const int kept = format == 1 ? 9 : 11;
    text.replace(QRegularExpression(u"^(Taken(?:Back)?\\d+=(?:[^,\r]*,){%1}[^,\r]*)(?:,[^,\r]*)*\r$"_s.arg(kept - 1),
                                    QRegularExpression::MultilineOption),
                 u"\\1\r"_s);
    text.replace(QRegularExpression(u"^Ties=.*\r\n"_s, QRegularExpression::MultilineOption), QString());
    file.resize(0);
    file.write(text.toLatin1());
}

QString savedAndLoaded(CombatDocument &doc, const QTemporaryDir &dir, CombatDocument &into, int format = 3)
{
    const QString path = dir.filePath(u"fight.ini"_s);
    if (doc.save(path).isRefused())
        return u"not saved"_s;
    if (format < 3)
        asEarlierVersion(path, format);
    mustBeDone(into.newCombat());
    const CommandResult loaded = into.load(path);
    return loaded.notices().isEmpty() ? QString() : loaded.notices().constLast().text;
}

// The end of the Goblin's turn in a file saved at it, its note "Sneaky": nothing taken out.
const QByteArray GoblinTook = ",,,,+Goblin,,turn\r\nTakenBack=";

// `plain` "position:text" pairs joined by ';' as the file holds them.
QByteArray taken(const QString &plain)
{
    QByteArrayList pairs;
    for (const QString &pair : plain.split(u';', Qt::SkipEmptyParts))
        pairs << pair.section(u':', 0, 0).toLatin1() + ':' + pair.section(u':', 1).toUtf8().toPercentEncoding();
    return pairs.join(';');
}

// That end saying the turn revealed, removed and ended these, and did `others` elsewhere.
QByteArray goblinTook(const QString &revealed, const QString &removed, const QString &ended,
                      const QByteArray &others = {})
{
    return ',' + taken(revealed) + ',' + taken(removed) + ',' + ended.toLatin1() + ",+Goblin," + others
        + ",turn\r\nTakenBack=";
}

} // namespace

class TestFightFile : public QObject
{
    Q_OBJECT

private slots:
    void aSavedFightGoesOn_data();
    void aSavedFightGoesOn();
    void aSectionLoadsOnlyAsWritten_data();
    void aSectionLoadsOnlyAsWritten();
    void aFightStopsAtTheLastRoundAFileKeeps();
};

void TestFightFile::aSavedFightGoesOn_data()
{
    QTest::addColumn<QString>("before"); // played, then saved and loaded
    QTest::addColumn<QString>("after");  // played on both
    QTest::addColumn<int>("format"); // saved as a version of this format writes it
    QTest::newRow("mid-round") << u"566"_s << u"666"_s << 3;
    QTest::newRow("the condition's ticks given back after the load") << u"56666"_s << u"SSSSS"_s << 3;
    QTest::newRow("a newcomer waiting for the next round") << u"566W5"_s << u"6666"_s << 3;
    QTest::newRow("turns taken back, given again") << u"56666SS"_s << u"666"_s << 3;
    QTest::newRow("hidden, then revealed by its turn") << u"5H6"_s << u"66"_s << 3;
    QTest::newRow("down and dying passed over") << u"56DK"_s << u"666S"_s << 3;
    QTest::newRow("a tie settled by a move, calculated again") << u"T5M6"_s << u"566"_s << 3;
    QTest::newRow("a condition from the one whose turn it is, ended and given back")
        << u"56C666666"_s << u"66S6SS66"_s << 3;
    QTest::newRow("a delay and a readied action waiting") << u"56L6R"_s << u"6A6666"_s << 3;
    QTest::newRow("acting now, before the one it goes before resumes") << u"56L66A"_s << u"6666S"_s << 3;
    QTest::newRow("acting now, then calculated again") << u"56L66A6"_s << u"56666"_s << 3;
    QTest::newRow("an earlier version's file, taken back and on") << u"56666SS"_s << u"SSS6666"_s << 1;
    QTest::newRow("a file of format 2, with a sourced condition") << u"56C666"_s << u"666SS"_s << 2;
}

void TestFightFile::aSavedFightGoesOn()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, format);
    QTemporaryDir dir;
    CombatDocument played;
    typeParty(played);
    play(played, before);
    CombatDocument loaded;
    QCOMPARE(savedAndLoaded(played, dir, loaded, format), QString());
    QCOMPARE(fightOf(loaded), fightOf(played));
    QCOMPARE(loaded.history().undoText(), u"Load Combat"_s);
    play(played, after);
    play(loaded, after);
    QCOMPARE(fightOf(loaded), fightOf(played));
}

// Saved at the Goblin's first turn and changed in the file: dropped with a notice, or loaded,
// and then Previous Turn gives the Goblin's note `back`.
void TestFightFile::aSectionLoadsOnlyAsWritten_data()
{
    QTest::addColumn<QString>("note"); // the Goblin's, before the fight
    QTest::addColumn<QByteArray>("from"); // in the saved file
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("notice"); // empty: loaded
    QTest::addColumn<QString>("back");
    const QString sneaky = u"Sneaky"_s;
    const QString damaged = u"its line \"Taken3\" is damaged"_s;
    QTest::newRow("a name edited by hand") << sneaky << QByteArray("Name=Goblin") << QByteArray("Name=Gobbo") << u"the rows were changed after it was saved"_s << QString();
    QTest::newRow("a damaged line") << sneaky << QByteArray("Taken1=") << QByteArray("Taken1=x,") << u"its line \"Taken1\" is damaged"_s << QString();
    QTest::newRow("an age no row reaches") << sneaky << QByteArray("Item1=3,0,") << QByteArray("Item1=3,4294967295,") << u"its line \"Item1\" is damaged"_s << QString();
    QTest::newRow("a row beyond the roster") << sneaky << QByteArray("Item1=3,") << QByteArray("Item1=19,") << u"its line \"Item1\" is damaged"_s << QString();
    QTest::newRow("cut before its end") << sneaky << QByteArray("End=1\r\n") << QByteArray("") << u"the file ends before the fight does"_s << QString();
    QTest::newRow("an earlier version's, with no ties") << sneaky << QByteArray("Ties=13:0:0:0;12:0:0:0;11:0:0:0;10:0:0:0\r\n") << QByteArray() << QString() << sneaky;
    QTest::newRow("a damaged tie") << sneaky << QByteArray("Ties=13:0:0:0;") << QByteArray("Ties=13:0:x:0;") << u"its line \"Ties\" is damaged"_s << QString();
    QTest::newRow("an item acting before itself") << sneaky << QByteArray("Ties=13:0:0:0;") << QByteArray("Ties=13:0:0:1;") << u"its line \"Ties\" is damaged"_s << QString();
    QTest::newRow("items acting before each other") << sneaky << QByteArray("Ties=13:0:0:0;12:0:0:0;") << QByteArray("Ties=13:0:0:2;12:0:0:1;") << u"its line \"Ties\" is damaged"_s << QString();
    QTest::newRow("a turn taken up again that counted") << sneaky << GoblinTook << QByteArray(",,,,+Goblin,,resume\r\nTakenBack=") << damaged << QString();
    QTest::newRow("acting before an item past the list") << sneaky << QByteArray("Ties=13:0:0:0;") << QByteArray("Ties=13:0:0:5;") << u"its line \"Ties\" is damaged"_s << QString();
    QTest::newRow("a kind of turn no version takes") << sneaky << GoblinTook << QByteArray(",,,,+Goblin,,jump\r\nTakenBack=") << damaged << QString();
    QTest::newRow("a newer format") << sneaky << QByteArray("Format=3") << QByteArray("Format=99999999999") << u"it was written by a newer version of Fraymark"_s << QString();
    auto crafted = [&](const char *row, const QString &revealed, const QString &removed, const QString &ended = {}) {
        QTest::newRow(row) << sneaky << GoblinTook << goblinTook(revealed, removed, ended) << damaged << QString();
    };
    auto written = [&](const char *row, const QString &note) {
        QTest::newRow(row) << note << QByteArray() << QByteArray() << QString() << note;
    };
    auto craftedFit = [&](const char *row, const QString &note, const QString &removed, const QString &back) {
        QTest::newRow(row) << note << GoblinTook << goblinTook({}, removed, u"Held"_s) << QString() << back;
    };
    crafted("free text put back", {}, u"5: [PC] [Hidden] Friendly - do not attack"_s);
    crafted("a tag with both blanks", u"0: [Hidden] "_s, {});
    crafted("another tag revealed", u"0:[PC] "_s, {});
    crafted("a tag as a condition", {}, u"6: [Hidden]"_s);
    crafted("a condition not ended", {}, u"6: [Held: 2]"_s, u"Held"_s);
    crafted("a condition with two blanks", {}, u"6:  [Held: 1]"_s, u"Held"_s);
    crafted("conditions out of order", {}, u"6:[A: 1];2:[B: 1]"_s, u"A;B"_s);
    crafted("another name ended", {}, u"6: [Held: 1]"_s, u"Stunned"_s);
    auto craftedElsewhere = [&](const char *row, const QByteArray &others) {
        QTest::newRow(row) << sneaky << GoblinTook << goblinTook({}, {}, {}, others) << damaged << QString();
    };
    craftedElsewhere("free text put back in another note", "0|0|0|0|5:%20%5BPC%5D%20Friendly|");
    craftedElsewhere("a sourced condition not ended in another note", "0|0|0|0|5:%5BHeld%3A%202%2C%20Goblin%5D|Held");
    craftedElsewhere("the turn's own note as another", "1|0|0|0||");
    craftedElsewhere("other notes out of order", "3|0|0|0||/0|0|0|0||");
    QTest::newRow("a source no note can hold") << sneaky << QByteArray(",+Goblin,") << QByteArray(",+Gob%5Dlin,")
                                               << damaged << QString();
    QTest::newRow("an earlier format's lines with new fields") << sneaky << QByteArray("Format=3")
                                                               << QByteArray("Format=2")
                                                               << u"its line \"Ties\" is damaged"_s << QString();
    written("a tag after, any case", u"Sneaky [hIDDEN]"_s);
    written("a tag and conditions taken with odd blanks", u"[Hidden] Sly\u3000[ Held :1 ]\t[Bless: 1], [Slow: 2]"_s);
    craftedFit("past the note: kept", sneaky, u"99: [Held: 1]"_s, sneaky);
    craftedFit("beside a blank a tick takes: kept", u"Sly one"_s, u"4:[Held: 1]"_s, u"Sly one"_s);
    craftedFit("inside a character: kept", u"Sly \U0001F600"_s, u"5:[Held: 1]"_s, u"Sly \U0001F600"_s);
}

void TestFightFile::aSectionLoadsOnlyAsWritten()
{
    QFETCH(QString, note);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, notice);
    QTemporaryDir dir;
    CombatDocument played;
    typeParty(played);
    QVERIFY_DONE(played.setFieldText(1, roster::Field::Note, note));
    play(played, u"5666"_s);
    const QString path = dir.filePath(u"fight.ini"_s);
    QVERIFY_DONE(played.save(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    QVERIFY(bytes.contains(from));
    bytes.replace(bytes.indexOf(from), from.size(), to);
    file.resize(0);
    file.write(bytes);
    file.close();

    CombatDocument loaded;
    const CommandResult outcome = loaded.load(path);
    QVERIFY(outcome.isDone());
    if (notice.isEmpty()) {
        QCOMPARE(outcome.notices().size(), 0);
        QVERIFY_DONE(loaded.previousTurn());
        QTEST(loaded.row(1).note, "back");
        return;
    }
    QCOMPARE(outcome.notices().size(), 1); // the fight dropped, and no cut
    QVERIFY2(outcome.notices()[0].text.contains(notice), qPrintable(outcome.notices()[0].text));
    QVERIFY(loaded.order().isEmpty());
    QCOMPARE(loaded.row(1).name, QTest::currentDataTag() == QByteArray("a name edited by hand") ? u"Gobbo"_s : u"Goblin"_s);
}

void TestFightFile::aFightStopsAtTheLastRoundAFileKeeps()
{
    QTemporaryDir dir;
    CombatDocument played;
    typeParty(played);
    play(played, u"56"_s);
    const QString path = dir.filePath(u"fight.ini"_s);
    QVERIFY_DONE(played.save(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString bytes = QString::fromLatin1(file.readAll());
    file.close();
    bytes.replace(QRegularExpression(u"(Taken1=\\d+,\\d+,)1,"_s), u"\\1%1,"_s.arg(combat::LastRound));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes.toLatin1()) > 0);
    file.close();

    CombatDocument loaded;
    QVERIFY(loaded.load(path).notices().isEmpty());
    QCOMPARE(loaded.state().turn.round(), combat::LastRound);
    CommandResult next = CommandResult::done();
    for (int turn = 0; turn < 4 && next.isDone(); ++turn)
        next = loaded.nextTurn();
    QVERIFY2(next.isRefused() && next.sentence().contains(u"the last one"_s), qPrintable(next.sentence()));
    const CommandResult delay = loaded.putOffTurn(combat::TurnKind::Delayed); // no way round it
    QVERIFY2(delay.isRefused() && delay.sentence().contains(u"the last one"_s), qPrintable(delay.sentence()));
    CombatDocument again;
    QCOMPARE(savedAndLoaded(loaded, dir, again), QString());
    QCOMPARE(fightOf(again), fightOf(loaded));
}

QTEST_GUILESS_MAIN(TestFightFile)
#include "tst_fightfile.moc"
