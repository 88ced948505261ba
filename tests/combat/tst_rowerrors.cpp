#include "combat/RowErrors.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using roster::FieldLocation;
using roster::Field;

Q_DECLARE_METATYPE(roster::FieldLocation)

class TestRowErrors : public QObject
{
    Q_OBJECT

private slots:
    void messages_data()
    {
        QTest::addColumn<roster::FieldError>("error");
        QTest::addColumn<QString>("message");
        QTest::addColumn<FieldLocation>("location");
        QTest::newRow("initiative") << combat::initiativeOutOfRange(4, u"Goblin"_s, u"1e999"_s)
                                    << u"Row 5 (Goblin): the initiative \"1e999\" is out of range."_s
                                    << FieldLocation{4, Field::Initiative};
        QTest::newRow("hit points, blank name") << combat::hitPointsOutOfRange(0, u"  "_s, u"-1e999"_s)
                                                << u"Row 1: the hit points \"-1e999\" are out of range."_s
                                                << FieldLocation{0, Field::HitPoints};
        QTest::newRow("armour class") << combat::armourClassOutOfRange(18, u"Orc"_s, u"9e9999x"_s)
                                      << u"Row 19 (Orc): the armour class \"9e9999x\" is out of range."_s
                                      << FieldLocation{18, Field::ArmourClass};
        QTest::newRow("place markers typed")
            << combat::initiativeOutOfRange(2, u"%2"_s, u"1e999 %1 %2"_s)
            << u"Row 3 (%2): the initiative \"1e999 %1 %2\" is out of range."_s
            << FieldLocation{2, Field::Initiative};
        QTest::newRow("huge texts cut") << combat::initiativeOutOfRange(1, QString(50, u'n'), u"1e999"_s + QString(20000, u'9'))
                                        << u"Row 2 ("_s + QString(40, u'n') + u"…): the initiative \"1e999"_s
                                               + QString(35, u'9') + u"…\" is out of range."_s
                                        << FieldLocation{1, Field::Initiative};
    }

    void messages()
    {
        QFETCH(roster::FieldError, error);
        QFETCH(QString, message);
        QFETCH(FieldLocation, location);
        QCOMPARE(error.message(), message);
        QCOMPARE(QString::fromUtf8(error.what()), message);
        QCOMPARE(error.kind(), roster::FieldError::Kind::Overflow);
        QCOMPARE(error.location(), std::optional<FieldLocation>(location));
    }
};

QTEST_GUILESS_MAIN(TestRowErrors)
#include "tst_rowerrors.moc"
