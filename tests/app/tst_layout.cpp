// The window on a screen with room and on one too small for it. CTest runs this
// three times: on a 1600x1000 screen, and on a 1366x768 one with QT_FONT_DPI=117 and
// with QT_SCALE_FACTOR=1.25.
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
    void captionsStayOverTheirColumns_data();
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

void TestLayout::captionsStayOverTheirColumns_data()
{
    // The window's share of its starting size, and where the roster is scrolled to.
    QTest::addColumn<double>("widthShare");
    QTest::addColumn<double>("heightShare");
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("down");
    QTest::newRow("whole") << 1.0 << 1.0 << false << false;
    QTest::newRow("scrolled to the bottom") << 1.0 << 0.6 << false << true;
    QTest::newRow("scrolled to the right") << 0.6 << 1.0 << true << false;
    QTest::newRow("scrolled to the bottom right") << 0.6 << 0.6 << true << true;
}

void TestLayout::captionsStayOverTheirColumns()
{
    QFETCH(double, widthShare);
    QFETCH(double, heightShare);
    QFETCH(bool, right);
    QFETCH(bool, down);
    MainFrm &w = window();
    if ((right || down) && fitsTheScreen())
        QSKIP("The roster scrolls only on a screen too small for the window");
    w.resize(int(w.width() * widthShare), int(w.height() * heightShare));
    QScrollBar *across = w.RosterArea->horizontalScrollBar();
    QScrollBar *upDown = w.RosterArea->verticalScrollBar();
    if (right) {
        QTRY_VERIFY(across->maximum() > 0);
        across->setValue(across->maximum());
    }
    if (down) {
        QTRY_VERIFY(upDown->maximum() > 0);
        upDown->setValue(upDown->maximum());
    }
    QCoreApplication::processEvents();

    // In the window's coordinates: the rows' area, and the last row, in view when
    // scrolled down.
    auto place = [&](const QWidget *widget) { return QRect(widget->mapTo(&w, QPoint(0, 0)), widget->size()); };
    const QRect rows = place(w.RosterArea->viewport());
    const QRect area = place(w.RosterArea);
    const std::pair<QLabel *, QLineEdit *> columns[] = {
        {w.Label1[0], w.ChrName[18]},  {w.Label1[1], w.ChrHP[18]},    {w.Label1[5], w.ChrIni[18]},
        {w.Label1[2], w.ChrAC[18]},    {w.Label1[3], w.ChrNote[18]},  {w.Label1[6], w.ChrWill[18]},
        {w.Label1[8], w.ChrFort[18]},  {w.Label1[7], w.ChrRex[18]},   {w.Label1[4], w.ChrAttack[18]},
        {w.Label1[9], w.ChrDamage[18]},
    };
    int seen = 0;
    for (const auto &[caption, field] : columns) {
        const QRect label = place(caption);
        const QRect under = place(field);
        QCOMPARE(label.x(), under.x());
        QVERIFY2(label.top() >= area.top() && label.bottom() < rows.top(), qPrintable(caption->text()));
        if (under.left() >= rows.left() && under.right() <= rows.right()) {
            // A column in view shows its whole caption from its left edge on.
            const QRect shown = caption->visibleRegion().boundingRect();
            QVERIFY2(caption->isVisible() && shown.left() == 0 && shown.height() == caption->height(),
                     qPrintable(caption->text()));
            ++seen;
        }
    }
    QVERIFY(seen > 0);
    if (down)
        QVERIFY(rows.intersects(place(w.ChrDamage[18])) && !rows.intersects(place(w.ChrDamage[0])));
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
