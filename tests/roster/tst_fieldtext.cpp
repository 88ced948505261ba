#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <QLocale>
#include <QtTest>

#include <cmath>
#include <limits>
#include <optional>

using roster::FieldError;

Q_DECLARE_METATYPE(std::optional<FieldError::Kind>)

class TestFieldText : public QObject
{
    Q_OBJECT

private slots:
    void textToNumber_data();
    void textToNumber();
    void textToNumberIgnoresTheLocale();
    void numberToText_data();
    void numberToText();
    void numberToTextRefusesInfinity();
    void integerToText_data();
    void integerToText();
    void textToInteger_data();
    void textToInteger();
    void typeMismatchMessageIsRecognisable();
};

void TestFieldText::textToNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("overflows");

    const struct { const char *text; double expected; bool overflows; } cases[] = {
        {"12", 12, false},
        {"12abc", 12, false},
        {"-10abc", -10, false},
        {"7.50", 7.5, false},
        {"+3", 3, false},
        {"-4 hp", -4, false},
        {"7,5", 7, false},
        {" 12 ", 12, false},
        {"1 2", 12, false},
        {"\t- 3\n", -3, false},
        {"2e3", 2000, false},
        {"2E-1", 0.2, false},
        {"2e", 2, false},
        {"2e+x", 2, false},
        {".5", 0.5, false},
        {"5.", 5, false},
        {"-9.5", -9.5, false},
        {"", 0, false},
        {"abc", 0, false},
        {"-", 0, false},
        {".", 0, false},
        {"--3", 0, false},
        {"1e-999", 0, false},
        {"1e-320", 1e-320, false}, // a denormal stays
        {"0.001e311", 1e308, false},
        {"1.8e308", 0, true},
        {"0.000000018e316", 0, true},
        {"1e999", 0, true},
        {"-1e999", 0, true},
        {"١٢", 0, false}, // Arabic-Indic digits are not digits here
    };
    for (const auto &c : cases)
        QTest::newRow(c.text) << QString::fromUtf8(c.text) << c.expected << c.overflows;
}

void TestFieldText::textToNumber()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QFETCH(bool, overflows);
    if (overflows) {
        try {
            roster::textToNumber(text);
            QFAIL("no overflow raised");
        } catch (const FieldError &e) {
            QCOMPARE(e.kind(), FieldError::Kind::Overflow);
        }
    } else {
        QCOMPARE(roster::textToNumber(text), expected);
    }
}

void TestFieldText::textToNumberIgnoresTheLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const double comma = roster::textToNumber(QStringLiteral("7,5"));
    const double point = roster::textToNumber(QStringLiteral("7.5"));
    const QString text = roster::numberToText(7.5);
    QLocale::setDefault(previous);
    QCOMPARE(comma, 7.0);
    QCOMPARE(point, 7.5);
    QCOMPARE(text, QStringLiteral("7.5"));
}

void TestFieldText::numberToText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");

    QTest::newRow("7.5") << 7.5 << QStringLiteral("7.5");
    QTest::newRow("-10") << -10.0 << QStringLiteral("-10");
    QTest::newRow("12") << 12.0 << QStringLiteral("12");
    QTest::newRow("0") << 0.0 << QStringLiteral("0");
    QTest::newRow("-0") << -0.0 << QStringLiteral("0");
    QTest::newRow("-3") << -3.0 << QStringLiteral("-3");
    QTest::newRow("0.5") << 0.5 << QStringLiteral("0.5");
    QTest::newRow("-9.5") << -9.5 << QStringLiteral("-9.5");
    QTest::newRow("largest whole below 1e15") << 999999999999999.0 << QStringLiteral("999999999999999");
    QTest::newRow("1e15") << 1e15 << QStringLiteral("1E+15");
    QTest::newRow("15 significant digits") << 0.1 + 0.2 << QStringLiteral("0.3");
    QTest::newRow("1/3") << 1.0 / 3.0 << QStringLiteral("0.333333333333333");
}

void TestFieldText::numberToText()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    const QString text = roster::numberToText(value);
    QCOMPARE(text, expected);
    // What we write must read back to a number that writes the same text.
    QCOMPARE(roster::numberToText(roster::textToNumber(text)), expected);
}

void TestFieldText::numberToTextRefusesInfinity()
{
    QVERIFY_THROWS_EXCEPTION(FieldError, roster::numberToText(std::numeric_limits<double>::infinity()));
    QVERIFY_THROWS_EXCEPTION(FieldError, roster::numberToText(std::nan("")));
}

void TestFieldText::integerToText_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("0") << 0 << QStringLiteral("0");
    QTest::newRow("18") << 18 << QStringLiteral("18");
    QTest::newRow("-10") << -10 << QStringLiteral("-10");
    QTest::newRow("32767") << 32767 << QStringLiteral("32767");
    QTest::newRow("-32768") << -32768 << QStringLiteral("-32768");
}

void TestFieldText::integerToText()
{
    QFETCH(int, value);
    QFETCH(QString, expected);
    QCOMPARE(roster::integerToText(static_cast<qint16>(value)), expected);
}

void TestFieldText::textToInteger_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected");
    QTest::addColumn<std::optional<FieldError::Kind>>("error");

    const auto ok = std::optional<FieldError::Kind>();
    const auto mismatch = std::optional(FieldError::Kind::TypeMismatch);
    const auto overflow = std::optional(FieldError::Kind::Overflow);

    QTest::newRow("1") << QStringLiteral("1") << 1 << ok;
    QTest::newRow("' 1 '") << QStringLiteral(" 1 ") << 1 << ok;
    QTest::newRow("0") << QStringLiteral("0") << 0 << ok;
    QTest::newRow("2") << QStringLiteral("2") << 2 << ok;
    QTest::newRow("2.5 to even") << QStringLiteral("2.5") << 2 << ok;
    QTest::newRow("3.5 to even") << QStringLiteral("3.5") << 4 << ok;
    QTest::newRow("-2.5 to even") << QStringLiteral("-2.5") << -2 << ok;
    QTest::newRow("1.4") << QStringLiteral("1.4") << 1 << ok;
    QTest::newRow("+7") << QStringLiteral("+7") << 7 << ok;
    QTest::newRow("1e2") << QStringLiteral("1e2") << 100 << ok;
    QTest::newRow("32767") << QStringLiteral("32767") << 32767 << ok;
    QTest::newRow("-32768") << QStringLiteral("-32768") << -32768 << ok;
    QTest::newRow("empty") << QString() << 0 << mismatch;
    QTest::newRow("blanks") << QStringLiteral("   ") << 0 << mismatch;
    QTest::newRow("x") << QStringLiteral("x") << 0 << mismatch;
    QTest::newRow("12abc") << QStringLiteral("12abc") << 0 << mismatch;
    QTest::newRow("1 2") << QStringLiteral("1 2") << 0 << mismatch;
    QTest::newRow("7,5") << QStringLiteral("7,5") << 0 << mismatch;
    QTest::newRow("-") << QStringLiteral("-") << 0 << mismatch;
    QTest::newRow("1e") << QStringLiteral("1e") << 0 << mismatch;
    QTest::newRow("32768") << QStringLiteral("32768") << 0 << overflow;
    QTest::newRow("-32769") << QStringLiteral("-32769") << 0 << overflow;
    QTest::newRow("70000") << QStringLiteral("70000") << 0 << overflow;
    QTest::newRow("32767.5 rounds over") << QStringLiteral("32767.5") << 0 << overflow;
    QTest::newRow("1e999") << QStringLiteral("1e999") << 0 << overflow;
}

void TestFieldText::textToInteger()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    QFETCH(std::optional<FieldError::Kind>, error);
    try {
        const qint16 value = roster::textToInteger(text);
        QVERIFY2(!error, "expected an error");
        QCOMPARE(int(value), expected);
    } catch (const FieldError &e) {
        QVERIFY2(error.has_value(), qPrintable(e.message()));
        QCOMPARE(e.kind(), *error);
    }
}

void TestFieldText::typeMismatchMessageIsRecognisable()
{
    try {
        roster::textToInteger(QStringLiteral("x"));
        QFAIL("no error raised");
    } catch (const FieldError &e) {
        QCOMPARE(e.message().toLower(), QStringLiteral("type mismatch"));
    }
}

QTEST_GUILESS_MAIN(TestFieldText)
#include "tst_fieldtext.moc"
