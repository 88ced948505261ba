#include "files/ProfileReader.h"

#include <QTemporaryDir>
#include <QtTest>

using files::ProfileReader;

class TestProfileReader : public QObject
{
    Q_OBJECT

private slots:
    void readValue_data();
    void readValue();
    void longValueWhole();
    void manySectionsFirstWins();
    void hasSection_data();
    void hasSection();
};

void TestProfileReader::readValue_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    auto row = [](const char *name, const QByteArray &file, const char *section, const char *key,
                  const char *expected) {
        QTest::newRow(name) << file << QString::fromUtf8(section) << QString::fromUtf8(key)
                            << QString::fromUtf8(expected);
    };
    const QByteArray combat = "[Info0]\r\nName=Goblin\r\nHP=7\r\nNote=\r\n[Info1]\r\nName=Ogre\r\n";
    row("plain value", combat, "Info0", "Name", "Goblin");
    row("second section", combat, "Info1", "Name", "Ogre");
    row("empty value", combat, "Info0", "Note", "");
    row("missing key", combat, "Info1", "HP", "");
    row("missing section", combat, "Info2", "Name", "");
    row("no bytes", QByteArray(), "Info0", "Name", "");
    row("value with =", QByteArray("[S]\r\nName=Orc=chief\r\n"), "S", "Name", "Orc=chief");
    row("value that is only =", QByteArray("[S]\r\nName==\r\n"), "S", "Name", "=");
    row("blanks kept around value", QByteArray("[S]\r\nName=  Orc \t\r\n"), "S", "Name", "  Orc \t");
    row("quotes kept", QByteArray("[S]\r\nName=\"Orc\"\r\n"), "S", "Name", "\"Orc\"");
    row("blanks around key", QByteArray("[S]\r\n  Name \t= Orc\r\n"), "S", "Name", " Orc");
    row("blanks around section name", QByteArray(" [ S ] \r\nName=Orc\r\n"), "S", "Name", "Orc");
    row("key case ignored", QByteArray("[S]\r\nNAME=Orc\r\n"), "S", "name", "Orc");
    row("section case ignored", QByteArray("[INFO0]\r\nName=Orc\r\n"), "info0", "Name", "Orc");
    row("non-ascii case ignored", QByteArray("[\xC3\x84RGER]\r\nName=Orc\r\n"), "ärger", "Name", "Orc");
    row("kelvin sign folds to k", QByteArray("[S]\r\n\xE2\x84\xAA" "ey=Orc\r\n"), "S", "key", "Orc");
    row("case of a surrogate pair ignored", QByteArray("[\xF0\x90\x90\x80]\r\nName=Orc\r\n"), "\xF0\x90\x90\xA8", "Name", "Orc");
    row("LF-only lines", QByteArray("[S]\nName=Orc\nHP=5\n"), "S", "HP", "5");
    row("CR-only lines", QByteArray("[S]\rName=Orc\rHP=5\r"), "S", "HP", "5");
    row("no line end at the end", QByteArray("[S]\r\nHP=5"), "S", "HP", "5");
    row("CR LF not part of value", QByteArray("[S]\r\nHP=5\r\nAC=3\r\n"), "S", "HP", "5");
    row("duplicate key: first wins", QByteArray("[S]\r\nHP=5\r\nHP=9\r\n"), "S", "HP", "5");
    row("duplicate key differing in case", QByteArray("[S]\r\nHP=5\r\nhp=9\r\n"), "S", "HP", "5");
    row("duplicate section: first wins", QByteArray("[S]\r\nHP=5\r\n[T]\r\n[S]\r\nHP=9\r\nAC=3\r\n"), "S", "HP", "5");
    row("duplicate section adds no keys", QByteArray("[S]\r\nHP=5\r\n[s]\r\nAC=3\r\n"), "S", "AC", "");
    row("section after a duplicate reads", QByteArray("[S]\r\nHP=5\r\n[S]\r\nHP=9\r\n[T]\r\nHP=1\r\n"), "T", "HP", "1");
    row("line without = ignored", QByteArray("[S]\r\nName\r\nName=Orc\r\n"), "S", "Name", "Orc");
    row("keys before the first section ignored", QByteArray("Name=Stray\r\n[S]\r\nHP=1\r\n"), "S", "Name", "");
    row("keys end at the next section", QByteArray("[S]\r\n[T]\r\nName=Orc\r\n"), "S", "Name", "");
    row("text after ] ignored", QByteArray("[S] junk\r\nName=Orc\r\n"), "S", "Name", "Orc");
    row("section without ]", QByteArray("[S\r\nName=Orc\r\n"), "S", "Name", "Orc");
    row("value that looks like a section", QByteArray("[S]\r\nName=[Info1]\r\n"), "S", "Name", "[Info1]");
    row("windows-1252 value", QByteArray("[S]\r\nName=Orc \xE9\x80\r\n"), "S", "Name", "Orc é€");
    row("utf-8 value", QByteArray("[S]\r\nName=\xE9\xBE\x99\r\n"), "S", "Name", "龙");
    row("blank lines ignored", QByteArray("\r\n[S]\r\n\r\nHP=2\r\n"), "S", "HP", "2");
}

void TestProfileReader::readValue()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const QString value = ProfileReader(file).ReadIniValue(section, key);
    QCOMPARE(value, expected);
}

void TestProfileReader::longValueWhole()
{
    QString value;
    for (int i = 0; i < 300; ++i)
        value += QChar(u'a' + i % 26);
    const ProfileReader reader("[Info0]\r\nNote=" + value.toLatin1() + "\r\nHP=3\r\n");
    QCOMPARE(reader.ReadIniValue(QStringLiteral("Info0"), QStringLiteral("Note")), value);
    QCOMPARE(reader.ReadIniValue(QStringLiteral("Info0"), QStringLiteral("HP")), QStringLiteral("3"));
}

// Every section and key twice, the second time in other case: the first still wins.
void TestProfileReader::manySectionsFirstWins()
{
    constexpr int Count = 20000;
    QByteArray file;
    for (int i = 0; i < Count; ++i)
        file += "[Row" + QByteArray::number(i) + "]\nKey=first " + QByteArray::number(i) + "\nkey=second\n";
    for (int i = 0; i < Count; ++i)
        file += " [ROW" + QByteArray::number(i) + "] \nKEY=later\nOther=later\n";
    const ProfileReader reader(file);
    for (const int i : {0, 1, 9999, Count - 1}) {
        const QString section = QStringLiteral("row%1").arg(i);
        QCOMPARE(reader.ReadIniValue(section, QStringLiteral("kEY")), QStringLiteral("first %1").arg(i));
        QCOMPARE(reader.ReadIniValue(section, QStringLiteral("Other")), QString());
    }
    QVERIFY(!reader.hasSection(QStringLiteral("Row%1").arg(Count)));
}

void TestProfileReader::hasSection_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<bool>("expected");
    QTest::newRow("present") << QByteArray("[Info3]\r\n") << "Info3" << true;
    QTest::newRow("present without keys, other case") << QByteArray("[info3]") << "INFO3" << true;
    QTest::newRow("absent") << QByteArray("[Info3]\r\n") << "Info4" << false;
    QTest::newRow("name only inside a value") << QByteArray("[S]\r\nName=[Info3]\r\n") << "Info3" << false;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << "Info0" << false;
}

void TestProfileReader::hasSection()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(bool, expected);
    QCOMPARE(ProfileReader(file).hasSection(section), expected);
}

QTEST_GUILESS_MAIN(TestProfileReader)
#include "tst_profilereader.moc"
