#include "combat/RowErrors.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestRowErrors : public QObject
{
    Q_OBJECT

private slots:
    void messages_data()
    {
        QTest::addColumn<roster::FieldError>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("initiative") << combat::initiativeOutOfRange(4, u"1e999"_s)
                                    << u"Row 5: the initiative 1e999 is out of range."_s;
        QTest::newRow("hit points") << combat::hitPointsOutOfRange(0, u"-1e999"_s)
                                    << u"Row 1: the hit points -1e999 are out of range."_s;
        QTest::newRow("armour class") << combat::armourClassOutOfRange(18, u"9e9999x"_s)
                                      << u"Row 19: the armour class 9e9999x is out of range."_s;
        QTest::newRow("text with a place marker")
            << combat::initiativeOutOfRange(2, u"1e999 %1 %2"_s)
            << u"Row 3: the initiative 1e999 %1 %2 is out of range."_s;
    }

    void messages()
    {
        QFETCH(roster::FieldError, error);
        QFETCH(QString, message);
        QCOMPARE(error.message(), message);
        QCOMPARE(QString::fromUtf8(error.what()), message);
        QCOMPARE(error.kind(), roster::FieldError::Kind::Overflow);
    }
};

QTEST_GUILESS_MAIN(TestRowErrors)
#include "tst_rowerrors.moc"
