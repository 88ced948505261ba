#include "combat/DownRow.h"
#include "combat/HitPoints.h"
#include "combat/SpinStep.h"
#include "roster/FieldError.h"

#include <QtTest>

#include <optional>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<QString>)

class TestSpinStep : public QObject
{
    Q_OBJECT

private slots:
    void step_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("direction");
        QTest::addColumn<std::optional<QString>>("expected");
        const std::optional<QString> none;
        const struct { const char *text; int direction; std::optional<QString> to; } cases[] = {
            {"12", 1, u"13"_s}, {"12", -1, u"11"_s}, {"", 1, u"1"_s}, {"", -1, u"-1"_s},
            {"12abc", 1, u"13"_s}, {"7.5", 1, u"8.5"_s}, {"-9.5", -1, u"-10"_s},
            {"-9", -1, u"-10"_s}, {"-10", -1, none}, {"-10", 1, u"-9"_s},
            {"4999", 1, u"5000"_s}, {"4999.5", 1, u"5000"_s}, {"5000", 1, none},
            {"5000abc", 1, none}, {"5000", -1, u"4999"_s},
            // Outside the bounds: to the near bound when stepped toward them, else no change.
            {"6000", -1, u"5000"_s}, {"6000", 1, none}, {"-20", 1, u"-10"_s}, {"-20", -1, none},
            {"-10.5", 1, u"-9.5"_s}, {"1e300", -1, u"5000"_s},
            // Only the sign of the direction counts.
            {"12", 3, u"13"_s}, {"12", -7, u"11"_s}, {"12", 0, none},
        };
        for (const auto &c : cases)
            QTest::addRow("%s by %d", c.text, c.direction)
                << QString::fromUtf8(c.text) << c.direction << c.to;
    }

    void step()
    {
        QFETCH(QString, text);
        QFETCH(int, direction);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(combat::spinStep(text, direction), expected);
    }

    // The hit points' button keeps a maximum and stops at it going up.
    void hitPointsStep_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("direction");
        QTest::addColumn<std::optional<QString>>("expected");
        QTest::newRow("up, the maximum kept") << u"37/45"_s << 1 << std::optional<QString>(u"38/45"_s);
        QTest::newRow("down, the maximum kept") << u"37/45"_s << -1 << std::optional<QString>(u"36/45"_s);
        QTest::newRow("at the maximum: no step up") << u"45/45"_s << 1 << std::optional<QString>();
        QTest::newRow("above it: no step up") << u"46/45"_s << 1 << std::optional<QString>();
        QTest::newRow("other text tidied, as before") << u"12abc"_s << 1 << std::optional<QString>(u"13"_s);
    }

    void hitPointsStep()
    {
        QFETCH(QString, text);
        QFETCH(int, direction);
        QFETCH(std::optional<QString>, expected);
        QCOMPARE(combat::steppedHitPoints(text, direction), expected);
    }

    void textBeyondADoubleThrows()
    {
        try {
            combat::spinStep(u"1e999"_s, -1);
            QFAIL("no error raised");
        } catch (const roster::FieldError &e) {
            QCOMPARE(e.kind(), roster::FieldError::Kind::Overflow);
        }
    }

    // The lower bound and the down threshold meet: stepping down ends exactly down.
    void steppingDownStopsAtTheDownThreshold()
    {
        QString hp = u"-8"_s;
        QStringList seen;
        while (const std::optional<QString> next = combat::spinStep(hp, -1)) {
            hp = *next;
            seen << hp + (combat::isDownHitPoints(hp) ? u" down"_s : u" active"_s);
            QVERIFY(seen.size() < 10);
        }
        QCOMPARE(seen, (QStringList{u"-9 active"_s, u"-10 down"_s}));
    }
};

QTEST_GUILESS_MAIN(TestSpinStep)
#include "tst_spinstep.moc"
