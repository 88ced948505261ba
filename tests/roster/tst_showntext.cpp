// A text shown inside the program's own lines: cut to a length, set apart from the line's
// direction.
#include "roster/ShownText.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TestShownText : public QObject
{
    Q_OBJECT

private slots:
    void shown_data();
    void shown();
};

void TestShownText::shown_data()
{
    const QString fsi(QChar(0x2068)), pdi(QChar(0x2069)), rlo(QChar(0x202e)), pdf(QChar(0x202c));
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("longest");
    QTest::addColumn<QString>("shown");
    QTest::newRow("short, left to right") << u"Goblin archer"_s << 40 << u"Goblin archer"_s;
    QTest::newRow("cut") << u"Goblin archer"_s << 6 << u"Goblin…"_s;
    QTest::newRow("never half a character") << u"Orc 😀"_s << 5 << u"Orc …"_s;
    QTest::newRow("right-to-left letters set apart") << u"שלום 7"_s << 40 << fsi + u"שלום 7"_s + pdi;
    QTest::newRow("an override dropped and set apart") << u"Goblin"_s + rlo << 40 << fsi + u"Goblin"_s + pdi;
    QTest::newRow("embedding and its pop dropped") << rlo + u"23"_s + pdf << 40 << fsi + u"23"_s + pdi;
}

void TestShownText::shown()
{
    QFETCH(QString, text);
    QFETCH(int, longest);
    QTEST(roster::shownText(text, longest), "shown");
}

QTEST_APPLESS_MAIN(TestShownText)
#include "tst_showntext.moc"
