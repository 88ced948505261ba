#include "combat/Conditions.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestConditions : public QObject
{
    Q_OBJECT

private slots:
    // A tick, and the untick that must give back the note byte for byte.
    void tickAndUntick_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QStringList>("ended");
        const QString mega(1 << 20, u'x');
        const QString brackets(1 << 20, u'[');
        const struct { const char *row; QString before, after; QStringList ended; } cases[] = {
            {"ordinary notes", u"Orc chief 12, see [MM 212] [p 45] [Prone] [x:y]"_s,
             u"Orc chief 12, see [MM 212] [p 45] [Prone] [x:y]"_s, {}},
            {"counts down", u"[Stunned: 2] Orc [Bless: 10]"_s, u"[Stunned: 1] Orc [Bless: 9]"_s, {}},
            {"inner blanks kept", u"[ Stunned : 2 ]"_s, u"[ Stunned : 1 ]"_s, {}},
            {"ends mid note", u"Orc chief [Stunned: 1] angry"_s, u"Orc chief angry"_s, {u"Stunned"_s}},
            {"ends at the end", u"Orc [Stunned: 1]"_s, u"Orc"_s, {u"Stunned"_s}},
            {"ends at the start", u"[Held: 1] Orc"_s, u"Orc"_s, {u"Held"_s}},
            {"ends alone", u"[ Held : 1 ]"_s, u""_s, {u"Held"_s}},
            {"punctuation after", u"Orc [Held: 1], angry"_s, u"Orc, angry"_s, {u"Held"_s}},
            {"punctuation around", u"Orc ([Held: 1])"_s, u"Orc ()"_s, {u"Held"_s}},
            {"two end at the end", u"Orc [Held: 1] [Bless: 1]"_s, u"Orc"_s, {u"Held"_s, u"Bless"_s}},
            {"two end, touching", u"Orc  [A: 1][B: 1]"_s, u"Orc"_s, {u"A"_s, u"B"_s}},
            {"some end, some stay", u"[A: 1] x [B: 3] [C: 1]"_s, u"x [B: 2]"_s, {u"A"_s, u"C"_s}},
            {"tab and line break", u"Orc\t[Held: 1]\nGoblin [Bless: 1]"_s, u"Orc\nGoblin"_s,
             {u"Held"_s, u"Bless"_s}},
            {"nested and unclosed", u"[[Stunned: 2] [Bless: 3 x [Held: 2]] [Slow: 4"_s,
             u"[[Stunned: 1] [Bless: 3 x [Held: 1]] [Slow: 4"_s, {}},
            // Taking B out leaves "[A: 2]"; the untick must not count that up.
            {"a removal closes a bracket", u"[A [B: 1]: 2]"_s, u"[A: 2]"_s, {u"B"_s}},
            {"1 MB note", mega + u" [Stunned: 1]"_s, mega, {u"Stunned"_s}},
            {"1 MB of brackets", brackets + u"Held: 2]"_s, brackets + u"Held: 1]"_s, {}},
        };
        for (const auto &c : cases)
            QTest::newRow(c.row) << c.before << c.after << c.ended;
    }

    void tickAndUntick()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QStringList, ended);
        const combat::ConditionTick tick = combat::tickConditions(before);
        QCOMPARE(tick.note, after);
        QCOMPARE(tick.ended, ended);
        QCOMPARE(combat::untickConditions(tick.note, tick.removed), before);
    }

    // A tick counts what its rule names, by the conditions' sources, and gives back exactly.
    void sourcedTick_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<bool>("allBut");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QStringList>("ended");
        QTest::newRow("the source's turn") << u"[A: 1, Ilyra] x [B: 2 , Bors ] [C: 2]"_s << QStringList{u"Ilyra"_s}
                                           << false << u"x [B: 2 , Bors ] [C: 1]"_s << QStringList{u"A"_s};
        QTest::newRow("a round's start: all but those in the fight")
            << u"[A: 2, Ilyra] [B: 2, Bors]"_s << QStringList{u"Ilyra"_s} << true
            << u"[A: 2, Ilyra] [B: 1, Bors]"_s << QStringList{};
        QTest::newRow("no sources named: those with none") << u"[A: 2, Ilyra] [B: 1]"_s << QStringList{} << false
                                                           << u"[A: 2, Ilyra]"_s << QStringList{u"B"_s};
    }

    void sourcedTick()
    {
        QFETCH(QString, before);
        QFETCH(QStringList, sources);
        QFETCH(bool, allBut);
        const combat::CountRule rule{true, sources, allBut};
        const combat::ConditionTick tick = combat::tickConditions(before, rule);
        QTEST(tick.note, "after");
        QTEST(tick.ended, "ended");
        QCOMPARE(combat::untickConditions(tick.note, tick.removed, rule), before);
    }

    // What reads as a condition, summed up as the displays show it.
    void parse_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("text");
        const struct { const char *note, *text; } cases[] = {
            {"[Stunned: 2] [Bless: 10]", "Stunned 2, Bless 10"},
            {"[ Hunter's  Mark :\t99 ]", "Hunter's  Mark 99"},
            {"[Sleep-walking 2: 1] [Hunter\u2019s Mark: 3]", "Sleep-walking 2 (last round), Hunter\u2019s Mark 3"},
            {"[\u00c4ngstlich: 3] [\U00020000: 4] [Cafe\u0301: 5]", "\u00c4ngstlich 3, \U00020000 4, Cafe\u0301 5"},
            {"[: 2] [  : 2] [-': 2] [\u0301Held: 2] [Held!: 2] [Held\n: 2]", ""},
            {"[Held: 0] [Held: 02] [Held: 100] [Held: -1] [Held: +2] [Held: 1.5]", ""},
            {"[Held: 2 rounds] [Held: \uff12] [Held 2] Held: 2 [Held: 2", ""},
            {"[Stunned: 2, Ilyra] [Held :1 ,\tSir Bors the Bold ] [Slow: 3, \u00c9owyn O'Neil-Ray]", "Stunned 2, Held (last round), Slow 3"},
            {"[Held: 2,] [Held: 2, ] [Held: 2, a,b] [Held: 2, a\nb] [Held: 2, a\u2028b] [Held: 2 Ilyra]", ""},
            // A source is a name: a file can slip no other text into a note through one.
            {"[Held: 1, Dr. Voss] [Held: 1, see http://x] [Held: 1, \u202eIlyra] [Held: 1, -]", ""},
        };
        for (const auto &c : cases)
            QTest::newRow(c.note) << QString::fromUtf8(c.note) << QString::fromUtf8(c.text);
    }

    void parse()
    {
        QFETCH(QString, note);
        QFETCH(QString, text);
        QCOMPARE(combat::conditionsText(note), text);
        for (const combat::TimedCondition &c : combat::timedConditions(note)) {
            QVERIFY(combat::isConditionName(c.name));
            QCOMPARE(note.mid(c.position, c.length).front(), u'[');
            QCOMPARE(note.mid(c.position, c.length).back(), u']');
        }
    }

    // A note of a megabyte of conditions is shown by its first few, read from its start.
    void shownFromTheStartOnly()
    {
        QString note;
        for (int i = 0; i < 170'000; ++i)
            note += u"[a: 2]"_s;
        QCOMPARE(combat::conditionsText(note), u"a 2, a 2, a 2, a 2, a 2, a 2, a 2, a 2, \u2026"_s);
        QCOMPARE(combat::conditionsText(QString(5000, u' ') + u"[Held: 2]"_s), QString());
        QCOMPARE(combat::conditionsText(u"[%1: 2]"_s.arg(QString(100, u'n'))), QString(40, u'n') + u"\u2026 2"_s);
    }

    void add_data()
    {
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rounds");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("source");
        QTest::newRow("with a source, trimmed") << u"Orc"_s << u"Stunned"_s << 2 << u"Orc [Stunned: 2, Ilyra]"_s
                                                << u" Ilyra "_s;
        QTest::newRow("a source that cannot be written") << u"Orc"_s << u"Stunned"_s << 2 << u"Orc [Stunned: 2]"_s
                                                         << u"Ily]ra"_s;
        QTest::newRow("a source with a comma") << u""_s << u"Held"_s << 1 << u"[Held: 1]"_s << u"Bors, the Bold"_s;
        QTest::newRow("empty note") << u""_s << u"Stunned"_s << 2 << u"[Stunned: 2]"_s << QString();
        QTest::newRow("name trimmed") << u"Orc"_s << u" Bless "_s << 10 << u"Orc [Bless: 10]"_s << QString();
        QTest::newRow("ends with a blank") << u"Orc "_s << u"Held"_s << 1 << u"Orc [Held: 1]"_s << QString();
        QTest::newRow("ends with a line") << u"Orc\n"_s << u"Held"_s << 1 << u"Orc\n[Held: 1]"_s << QString();
        QTest::newRow("bad name") << u"Orc"_s << u"Held!"_s << 2 << u"Orc"_s << QString();
        QTest::newRow("blank name") << u"Orc"_s << u"  "_s << 2 << u"Orc"_s << QString();
        QTest::newRow("0 rounds") << u"Orc"_s << u"Held"_s << 0 << u"Orc"_s << QString();
        QTest::newRow("100 rounds") << u"Orc"_s << u"Held"_s << 100 << u"Orc"_s << QString();
    }

    void add()
    {
        QFETCH(QString, note);
        QFETCH(QString, name);
        QFETCH(int, rounds);
        QFETCH(QString, expected);
        QFETCH(QString, source);
        QCOMPARE(combat::withCondition(note, name, rounds, source), expected);
        // What is added reads back as the condition asked for.
        if (expected != note) {
            QCOMPARE(combat::timedConditions(expected).constLast().name, name.trimmed());
            QCOMPARE(combat::timedConditions(expected).constLast().source, combat::sourceOf(source));
        }
    }

    // Counting up a note that no tick made: 99 is the most, text beyond the end goes at the end.
    void untickElsewhere()
    {
        QCOMPARE(combat::untickConditions(u"[A: 98] [B: 99]"_s, {}), u"[A: 99] [B: 99]"_s);
        QCOMPARE(combat::untickConditions(u"Orc"_s, {{1000, u" [Held: 1]"_s}}), u"Orc [Held: 1]"_s);
    }
};

QTEST_GUILESS_MAIN(TestConditions)
#include "tst_conditions.moc"
