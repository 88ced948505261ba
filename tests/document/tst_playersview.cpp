// What the players' screens are given: the same view for the window and the page.
#include "document/PlayersView.h"
#include "CommandChecks.h"

#include "document/CombatDocument.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A row as typed, hidden from the players or not, and the damage it takes in the fight.
struct Typed
{
    QString name, hitPoints, initiative, note;
    bool hidden = false;
    QString blow;
};

// A line as the test writes it: "Ogre · Bloodied", "*" before the current one, "~" before
// one out of the fight.
QStringList written(const players::View &view)
{
    QStringList lines;
    for (const players::Line &line : view.order) {
        lines << (line.current ? u"*"_s : QString()) + (line.out ? u"~"_s : QString()) + line.name
                     + (line.state.isEmpty() ? QString() : u" \u00b7 "_s + line.state);
    }
    return lines;
}

} // namespace

class TestPlayersView : public QObject
{
    Q_OBJECT

private slots:
    void shown_data();
    void shown();
};

// The party: Borin (a player's character), the Ogre, a dying Goblin, a dead Orc and the
// Shade; each row typed, the order calculated, the blows dealt, `turns` turns begun and the
// hidden hidden.
void TestPlayersView::shown_data()
{
    QTest::addColumn<QList<Typed>>("rows");
    QTest::addColumn<int>("turns");
    QTest::addColumn<players::HealthWords>("words");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("turn");
    QTest::addColumn<QString>("next");

    const Typed borin{u"Borin"_s, u"30/30"_s, u"20"_s, u"[PC] owes the guild 300 gp"_s};
    const Typed ogre{u"Ogre"_s, u"12/40"_s, u"15"_s, u"AC 16, DR 5/magic"_s};
    const Typed goblin{u"Goblin"_s, u"-3"_s, u"12"_s, QString()};
    const Typed orc{u"Orc"_s, u"3"_s, u"8"_s, QString(), false, u"15"_s};
    const Typed shade{u"Shade"_s, u"26"_s, u"18"_s, u"behind the altar"_s, true};
    const QList<Typed> party{borin, ogre, goblin, orc, shade};
    using W = players::HealthWords;

    QTest::newRow("everyone's health in words") << party << 1 << W::Everyone
        << QStringList{u"*Borin · Unhurt"_s, u"Ogre · Bloodied"_s, u"Goblin · Dying"_s, u"~Orc · Down"_s}
        << u"Round 1 — Borin"_s << u"Next: Ogre"_s;
    QTest::newRow("the monsters' only") << party << 1 << W::Monsters
        << QStringList{u"*Borin"_s, u"Ogre · Bloodied"_s, u"Goblin · Dying"_s, u"~Orc · Down"_s}
        << u"Round 1 — Borin"_s << u"Next: Ogre"_s;
    QTest::newRow("nobody's, and the dying still say so") << party << 1 << W::Nobody
        << QStringList{u"*Borin"_s, u"Ogre"_s, u"Goblin · dying"_s, u"~Orc · down"_s}
        << u"Round 1 — Borin"_s << u"Next: Ogre"_s;
    QTest::newRow("the hidden one's turn: the round alone") << QList<Typed>{shade, ogre} << 1 << W::Everyone
        << QStringList{u"Ogre · Bloodied"_s} << u"Round 1"_s << u"Next: Ogre"_s;
    QTest::newRow("next passes over the hidden") << QList<Typed>{borin, shade, ogre} << 1 << W::Nobody
        << QStringList{u"*Borin"_s, u"Ogre"_s} << u"Round 1 — Borin"_s << u"Next: Ogre"_s;
    QTest::newRow("the order before the first turn") << QList<Typed>{borin, ogre} << 0 << W::Nobody
        << QStringList{u"Borin"_s, u"Ogre"_s} << QString() << QString();
    QTest::newRow("everyone hidden: waiting, not even a round") << QList<Typed>{shade} << 1 << W::Everyone
        << QStringList() << QString() << QString();
    QTest::newRow("no fight: waiting") << QList<Typed>{} << 0 << W::Everyone << QStringList() << QString()
                                       << QString();
}

void TestPlayersView::shown()
{
    QFETCH(QList<Typed>, rows);
    QFETCH(int, turns);
    QFETCH(players::HealthWords, words);
    CombatDocument doc;
    for (int i = 0; i < rows.size(); ++i) {
        QVERIFY_DONE(doc.setFieldText(i, roster::Field::Name, rows[i].name));
        QVERIFY_DONE(doc.setFieldText(i, roster::Field::HitPoints, rows[i].hitPoints));
        QVERIFY_DONE(doc.setFieldText(i, roster::Field::Initiative, rows[i].initiative));
        if (!rows[i].note.isEmpty())
            QVERIFY_DONE(doc.setFieldText(i, roster::Field::Note, rows[i].note));
    }
    if (!rows.isEmpty())
        QVERIFY_DONE(doc.calculateOrder());
    combat::RandomDice dice(1);
    QList<combat::RollRecord> rolled;
    for (int i = 0; i < rows.size(); ++i) {
        if (!rows[i].blow.isEmpty()) {
            QVERIFY_DONE(doc.setAmount(i, rows[i].blow));
            QVERIFY_DONE(doc.subtract(i, dice, rolled));
        }
    }
    for (int i = 0; i < turns; ++i)
        QVERIFY_DONE(doc.nextTurn());
    // Hidden once the fight is on: a hidden combatant's own turn reveals it.
    for (int i = 0; i < rows.size(); ++i) {
        if (rows[i].hidden)
            QVERIFY_DONE(doc.toggleHidden(i));
    }

    const players::View view = players::playersView(doc, words);
    QTEST(written(view), "lines");
    QTEST(view.turn, "turn");
    QTEST(view.next, "next");

    // What leaves the program: the same view, and nothing of a hidden combatant, a note or a
    // hit point number.
    const QJsonObject sent = QJsonDocument::fromJson(players::toJson(view)).object();
    QCOMPARE(sent.value(u"waiting"_s).toBool(), view.order.isEmpty());
    QCOMPARE(sent.value(u"turn"_s).toString(), view.turn);
    QCOMPARE(sent.value(u"order"_s).toArray().size(), view.order.size());
    const QString json = QString::fromUtf8(players::toJson(view));
    for (const Typed &row : rows) {
        QVERIFY2(!json.contains(row.hitPoints), qPrintable(row.hitPoints));
        if (!row.note.isEmpty())
            QVERIFY2(!json.contains(row.note.section(u' ', -2)), qPrintable(row.note));
    }
    QVERIFY(!json.contains(u"Shade"_s));
}

QTEST_GUILESS_MAIN(TestPlayersView)
#include "tst_playersview.moc"
