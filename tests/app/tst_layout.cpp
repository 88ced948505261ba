// The window on a screen with room and on one too small for it. CTest runs this
// three times: on a 1600x1000 screen, and on a 1366x768 one with QT_FONT_DPI=117 and
// with QT_SCALE_FACTOR=1.25.
#include "WindowTest.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

using namespace Qt::StringLiterals;
using roster::Field;

class TestLayout : public WindowTest
{
    Q_OBJECT

public:
    TestLayout() : WindowTest(Shown::Exposed) {}

private slots:
    void opensWithinTheScreen();
    void captionsStayOverTheirColumns_data();
    void captionsStayOverTheirColumns();
    void extraWidthGoesToTheTextColumns();
    void focusedControlsAreScrolledIntoView();

private:
    bool fitsTheScreen()
    {
        const QSize content = window().roster().widget()->minimumSizeHint();
        return window().screen()->availableGeometry().height() >= content.height() + 100;
    }
};

void TestLayout::opensWithinTheScreen()
{
    MainFrm &w = window();
    const QRect screen = w.screen()->availableGeometry();
    QVERIFY(w.width() <= screen.width() && w.height() <= screen.height());
    const QSize content = w.roster().widget()->minimumSizeHint();
    if (fitsTheScreen()) {
        // Nothing clipped: the window cannot be made smaller than its content.
        QVERIFY(w.roster().viewport()->width() >= content.width());
        QVERIFY(w.roster().viewport()->height() >= content.height());
        QVERIFY(!w.roster().verticalScrollBar()->isVisible());
        w.resize(200, 200);
        QVERIFY(w.roster().width() >= content.width());
    } else {
        QVERIFY(w.roster().verticalScrollBar()->isVisible());
        QVERIFY(w.roster().verticalScrollBar()->maximum() > 0);
    }
    // A typical attack is not cut.
    const QLineEdit *attack = field(w, Field::Attack, 0);
    QVERIFY(attack->fontMetrics().horizontalAdvance(u"+4 shortbow"_s) < attack->width() - 6);
    // The target bar opens inside the screen too, every part of it whole.
    w.show();
    action(w, "mnuDamage")->trigger();
    QApplication::processEvents();
    QVERIFY(w.targetBar().isVisible());
    QVERIFY(w.height() <= screen.height());
    QVERIFY(w.targetBar().minimumSizeHint().width() <= w.width());
    QVERIFY(w.targetBar().amountEdit()->width() >= w.targetBar().amountEdit()->minimumSizeHint().width());
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
    QScrollBar *across = w.roster().horizontalScrollBar();
    QScrollBar *upDown = w.roster().verticalScrollBar();
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
    const QRect rows = place(w.roster().viewport());
    const QRect area = place(&w.roster());
    const std::pair<QLabel *, QLineEdit *> columns[] = {
        {columnCaption(w, 0), field(w, Field::Name, 18)},
        {columnCaption(w, 1), field(w, Field::HitPoints, 18)},
        {columnCaption(w, 5), field(w, Field::Initiative, 18)},
        {columnCaption(w, 2), field(w, Field::ArmourClass, 18)},
        {columnCaption(w, 3), field(w, Field::Note, 18)},
        {columnCaption(w, 6), field(w, Field::Fort, 18)},
        {columnCaption(w, 8), field(w, Field::Reflex, 18)},
        {columnCaption(w, 7), field(w, Field::Will, 18)},
        {columnCaption(w, 4), field(w, Field::Attack, 18)},
        {columnCaption(w, 9), field(w, Field::Damage, 18)},
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
        QVERIFY(rows.intersects(place(field(w, Field::Damage, 18)))
                && !rows.intersects(place(field(w, Field::Damage, 0))));
    for (int r = 1; r < roster::RowCount; ++r)
        QVERIFY(field(w, Field::Name, r)->y() > field(w, Field::Name, r - 1)->y()); // the rows keep their order
}

void TestLayout::extraWidthGoesToTheTextColumns()
{
    MainFrm &w = window();
    const QList<QWidget *> grow{field(w, Field::Name, 0), field(w, Field::Note, 0), field(w, Field::Attack, 0),
                                field(w, Field::Damage, 0), generalNote(w), orderList(w)};
    const QList<QWidget *> keep{field(w, Field::HitPoints, 0), field(w, Field::Initiative, 0),
                                field(w, Field::ArmourClass, 0), field(w, Field::Fort, 0), amountBox(w, 0),
                                substractButton(w, 0)};
    QList<QSize> before;
    for (QWidget *widget : grow + keep)
        before << widget->size();
    w.resize(w.width() + 300, w.height() + 200);
    QTRY_VERIFY(field(w, Field::Name, 0)->width() > before[0].width());
    for (int i = 0; i < grow.size(); ++i)
        QVERIFY2(grow[i]->width() > before[i].width(), qPrintable(grow[i]->objectName()));
    QVERIFY(generalNote(w)->height() > before[4].height());
    for (int i = 0; i < keep.size(); ++i)
        QCOMPARE(keep[i]->size(), before[grow.size() + i]);
    QCOMPARE(field(w, Field::Name, 18)->height(), before[0].height());
}

void TestLayout::focusedControlsAreScrolledIntoView()
{
    MainFrm &w = window();
    if (fitsTheScreen())
        QSKIP("The roster scrolls only on a screen too small for the window");
    QTRY_VERIFY(w.roster().verticalScrollBar()->maximum() > 0);
    QWidget *viewport = w.roster().viewport();
    for (QWidget *control :
         std::initializer_list<QWidget *>{substractButton(w, 18), field(w, Field::Name, 0), generalNote(w)}) {
        control->setFocus();
        const QRect shown(control->mapTo(viewport, QPoint(0, 0)), control->size());
        QVERIFY2(viewport->rect().intersects(shown), qPrintable(control->objectName()));
    }
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
