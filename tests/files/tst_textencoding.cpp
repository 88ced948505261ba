#include "files/TextEncoding.h"

#include <QtTest>

using files::decodeCombatText;
using files::encodeCombatText;

class TestTextEncoding : public QObject
{
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void decode_data();
    void decode();
    void everyByteHasACharacterAndBack();
    void codePageTable_data();
    void codePageTable();
};

void TestTextEncoding::encode_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << QStringLiteral("Name=Orc") << QByteArray("Name=Orc");
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("latin-1 letter") << QStringLiteral("Orc é") << QByteArray("Orc \xE9");
    QTest::newRow("euro sign") << QStringLiteral("5 €") << QByteArray("5 \x80");
    QTest::newRow("curly quotes") << QStringLiteral("„Garde“") << QByteArray("\x84Garde\x93");
    QTest::newRow("unassigned byte's character") << QStringLiteral("\u0081") << QByteArray("\x81");
    QTest::newRow("greek needs utf-8") << QStringLiteral("Ω") << QByteArray("\xCE\xA9");
    QTest::newRow("one character outside makes all utf-8")
        << QStringLiteral("é Ω") << QByteArray("\xC3\xA9 \xCE\xA9");
    QTest::newRow("emoji") << QStringLiteral("\U0001F409") << QByteArray("\xF0\x9F\x90\x89");
    // Its Windows-1252 bytes C3 A9 would read back as "é".
    QTest::newRow("1252 bytes that look like utf-8")
        << QStringLiteral("Ã©") << QByteArray("\xC3\x83\xC2\xA9");
    QTest::newRow("1252 bytes that look like cut utf-8")
        << QStringLiteral("Ã© Ã") << QByteArray("\xC3\x83\xC2\xA9 \xC3\x83");
    QTest::newRow("C1 control outside the code page") << QStringLiteral("\u0080") << QByteArray("\xC2\x80");
}

void TestTextEncoding::encode()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeCombatText(text), bytes);
    QCOMPARE(decodeCombatText(encodeCombatText(text)), text);
}

void TestTextEncoding::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("windows-1252 letters") << QByteArray("Orc \xE9\x80") << QStringLiteral("Orc é€");
    QTest::newRow("utf-8 letters") << QByteArray("Orc \xC3\xA9\xE2\x82\xAC") << QStringLiteral("Orc é€");
    QTest::newRow("utf-8 byte-order mark dropped") << QByteArray("\xEF\xBB\xBF[Info0]") << QStringLiteral("[Info0]");
    QTest::newRow("broken utf-8 is windows-1252") << QByteArray("\xC3(") << QStringLiteral("Ã(");
    QTest::newRow("overlong form is windows-1252") << QByteArray("\xC0\x80") << QStringLiteral("À€");
    QTest::newRow("encoded surrogate is windows-1252")
        << QByteArray("\xED\xA0\x80") << QStringLiteral("í\u00A0€");
    QTest::newRow("unassigned bytes") << QByteArray("\x8D\x8F\x90\x9D") << QStringLiteral("\u008D\u008F\u0090\u009D");
    QTest::newRow("line ends untouched") << QByteArray("a\r\nb\rc\n") << QStringLiteral("a\r\nb\rc\n");
    QTest::newRow("utf-8 cut inside its last character") << QByteArray("\xC3\xA9 \xE2\x82") << QStringLiteral("é ");
    QTest::newRow("ascii then a lead byte is windows-1252") << QByteArray("Orc \xE9") << QStringLiteral("Orc é");
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
}

void TestTextEncoding::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(decodeCombatText(bytes), text);
}

void TestTextEncoding::everyByteHasACharacterAndBack()
{
    QSet<char16_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char16_t c = files::windows1252Char(static_cast<unsigned char>(b));
        QVERIFY2(!seen.contains(c), qPrintable(QString::number(b, 16)));
        seen.insert(c);
        QCOMPARE(files::windows1252Byte(c), b);
    }
}

void TestTextEncoding::codePageTable_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("character");
    const struct { int byte; int character; } cases[] = {
        {0x41, 0x41}, {0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192}, {0x85, 0x2026},
        {0x8A, 0x0160}, {0x8C, 0x0152}, {0x8E, 0x017D}, {0x91, 0x2018}, {0x96, 0x2013},
        {0x97, 0x2014}, {0x99, 0x2122}, {0x9C, 0x0153}, {0x9F, 0x0178}, {0xA0, 0x00A0},
        {0xE9, 0x00E9}, {0xFF, 0x00FF},
    };
    for (const auto &c : cases)
        QTest::addRow("0x%02X", c.byte) << c.byte << c.character;
}

void TestTextEncoding::codePageTable()
{
    QFETCH(int, byte);
    QFETCH(int, character);
    QCOMPARE(int(files::windows1252Char(static_cast<unsigned char>(byte))), character);
}

QTEST_GUILESS_MAIN(TestTextEncoding)
#include "tst_textencoding.moc"
