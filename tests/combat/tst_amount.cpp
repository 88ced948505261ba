// The target bar's amounts: sums of numbers and dice, a divisor for the whole, the prefixes of
// temporary and nonlethal hit points, and what is no amount.
#include "combat/Amount.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Dice that show the faces given, in turn.
class LoadedDice : public combat::Dice
{
public:
    explicit LoadedDice(QList<int> faces) : m_faces(std::move(faces)) {}
    int roll(int sides) override { return std::min(sides, m_faces.isEmpty() ? 1 : m_faces.takeFirst()); }

private:
    QList<int> m_faces;
};

} // namespace

class TestAmount : public QObject
{
    Q_OBJECT

private slots:
    void amounts_data();
    void amounts();
};

void TestAmount::amounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("faces"); // what the dice show, in turn
    QTest::addColumn<int>("kind");          // Amount::Kind; -1: no amount
    QTest::addColumn<double>("total");
    QTest::addColumn<QString>("shown");
    const int hit = int(combat::Amount::Kind::Hit), none = -1;
    QTest::newRow("a number") << u"7"_s << QList<int>{} << hit << 7.0 << QString();
    QTest::newRow("a sum") << u"8+9"_s << QList<int>{} << hit << 17.0 << QString();
    QTest::newRow("a heal") << u"-5"_s << QList<int>{} << hit << -5.0 << QString();
    QTest::newRow("half, rounded toward 0") << u"15/2"_s << QList<int>{} << hit << 7.0 << QString();
    QTest::newRow("half of a heal, toward 0") << u"-15 / 2"_s << QList<int>{} << hit << -7.0 << QString();
    QTest::newRow("a fraction") << u" 2.5 "_s << QList<int>{} << hit << 2.5 << QString();
    QTest::newRow("dice and a bonus") << u"2d6+3"_s << QList<int>{4, 5} << hit << 12.0 << u"2d6: 4, 5"_s;
    QTest::newRow("a fireball, halved") << u" 6d6 / 2 "_s << QList<int>{3, 5, 1, 6, 2, 4} << hit << 10.0
                                        << u"6d6: 3, 5, 1, 6, 2, 4; 21/2"_s;
    QTest::newRow("a healing spell") << u"-2d8-5"_s << QList<int>{7, 2} << hit << -14.0 << u"-2d8: 7, 2"_s;
    QTest::newRow("one die, its count left out") << u"d20"_s << QList<int>{13} << hit << 13.0 << u"1d20: 13"_s;
    QTest::newRow("temporary hit points") << u"t8"_s << QList<int>{} << int(combat::Amount::Kind::Temporary) << 8.0 << QString();
    QTest::newRow("nonlethal damage") << u"N1d6+2"_s << QList<int>{4} << int(combat::Amount::Kind::Nonlethal) << 6.0 << u"1d6: 4"_s;
    for (const char *refused : {"", "abc", "2d", "1d1", "1d6+", "+", "/2", "6d6/0", "101d6", "50d6+51d6", "1d1001",
                                "8 9", "t-5", "n-1d6", "t", "7/2/2", "7x"})
        QTest::newRow(refused[0] ? refused : "nothing") << QString::fromLatin1(refused) << QList<int>{} << none << 0.0 << QString();
    QTest::newRow("beyond a double") << QString(400, u'9') << QList<int>{} << none << 0.0 << QString();
}

void TestAmount::amounts()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, faces);
    QFETCH(int, kind);
    const std::optional<combat::Amount> amount = combat::parseAmount(text);
    QCOMPARE(amount.has_value(), kind >= 0);
    if (!amount)
        return;
    QCOMPARE(int(amount->kind), kind);
    LoadedDice dice(faces);
    const combat::RolledAmount rolled = combat::rollAmount(*amount, dice);
    QTEST(rolled.total, "total");
    QTEST(rolled.shown, "shown");
}

QTEST_GUILESS_MAIN(TestAmount)
#include "tst_amount.moc"
