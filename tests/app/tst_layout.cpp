// The window on a screen with room and on one too small for it. CTest runs this
// twice: on a 1600x1000 screen, and on a 1366x768 one with QT_FONT_DPI=117.
#include "WindowFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<WindowFixture>();
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }
    void cleanup() { m_fixture.reset(); }

    void opensWithinTheScreen();
    void captionsStayOverTheirColumns();
    void extraWidthGoesToTheTextColumns();
    void focusedControlsAreScrolledIntoView();

private:
    MainFrm &window() { return *m_fixture->window; }
    bool fitsTheScreen()
    {
        const QSize content = window().RosterArea->widget()->minimumSizeHint();
        return window().screen()->availableGeometry().height() >= content.height() + 100;
    }
    std::unique_ptr<WindowFixture> m_fixture;
};

void TestLayout::opensWithinTheScreen()
{
    MainFrm &w = window();
    const QRect screen = w.screen()->availableGeometry();
    QVERIFY(w.width() <= screen.width() && w.height() <= screen.height());
    const QSize content = w.RosterArea->widget()->minimumSizeHint();
    if (fitsTheScreen()) {
        // Nothing clipped: the window cannot be made smaller than its content.
        QVERIFY(w.RosterArea->viewport()->width() >= content.width());
        QVERIFY(w.RosterArea->viewport()->height() >= content.height());
        QVERIFY(!w.RosterArea->verticalScrollBar()->isVisible());
        w.resize(200, 200);
        QVERIFY(w.RosterArea->width() >= content.width());
    } else {
        QVERIFY(w.RosterArea->verticalScrollBar()->isVisible());
        QVERIFY(w.RosterArea->verticalScrollBar()->maximum() > 0);
    }
    // A typical attack is not cut.
    const QLineEdit *attack = w.ChrAttack[0];
    QVERIFY(attack->fontMetrics().horizontalAdvance(u"+4 shortbow"_s) < attack->width() - 6);
}

void TestLayout::captionsStayOverTheirColumns()
{
    MainFrm &w = window();
    w.resize(w.screen()->availableGeometry().size());
    QTRY_VERIFY(w.RosterArea->widget()->width() >= w.RosterArea->viewport()->width());
    const std::pair<QLabel *, QLineEdit *> columns[] = {
        {w.Label1[0], w.ChrName[0]},  {w.Label1[1], w.ChrHP[0]},    {w.Label1[5], w.ChrIni[0]},
        {w.Label1[2], w.ChrAC[0]},    {w.Label1[3], w.ChrNote[0]},  {w.Label1[6], w.ChrWill[0]},
        {w.Label1[8], w.ChrFort[0]},  {w.Label1[7], w.ChrRex[0]},   {w.Label1[4], w.ChrAttack[0]},
        {w.Label1[9], w.ChrDamage[0]},
    };
    for (const auto &[caption, field] : columns) {
        QCOMPARE(caption->x(), field->x());
        QVERIFY(caption->geometry().bottom() < field->y());
    }
    for (int r = 1; r < roster::RowCount; ++r)
        QVERIFY(w.ChrName[r]->y() > w.ChrName[r - 1]->y()); // the rows keep their order
}

void TestLayout::extraWidthGoesToTheTextColumns()
{
    MainFrm &w = window();
    const QList<QWidget *> grow{w.ChrName[0], w.ChrNote[0], w.ChrAttack[0], w.ChrDamage[0], w.NotesTxt, w.List};
    const QList<QWidget *> keep{w.ChrHP[0], w.ChrIni[0], w.ChrAC[0], w.ChrWill[0], w.SubsTxt[0], w.SubsCmd[0]};
    QList<QSize> before;
    for (QWidget *widget : grow + keep)
        before << widget->size();
    w.resize(w.width() + 300, w.height() + 200);
    QTRY_VERIFY(w.ChrName[0]->width() > before[0].width());
    for (int i = 0; i < grow.size(); ++i)
        QVERIFY2(grow[i]->width() > before[i].width(), qPrintable(grow[i]->objectName()));
    QVERIFY(w.NotesTxt->height() > before[4].height());
    for (int i = 0; i < keep.size(); ++i)
        QCOMPARE(keep[i]->size(), before[grow.size() + i]);
    QCOMPARE(w.ChrName[18]->height(), before[0].height());
}

void TestLayout::focusedControlsAreScrolledIntoView()
{
    MainFrm &w = window();
    if (fitsTheScreen())
        QSKIP("The roster scrolls only on a screen too small for the window");
    QTRY_VERIFY(w.RosterArea->verticalScrollBar()->maximum() > 0);
    QWidget *viewport = w.RosterArea->viewport();
    for (QWidget *control : std::initializer_list<QWidget *>{w.SubsCmd[18], w.ChrName[0], w.NotesTxt}) {
        control->setFocus();
        const QRect shown(control->mapTo(viewport, QPoint(0, 0)), control->size());
        QVERIFY2(viewport->rect().intersects(shown), qPrintable(control->objectName()));
    }
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
