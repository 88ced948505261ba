// What the program sets up before its window: the style (field frames, overflow
// arrows) and the window icon, and that none of it loads an image plugin.
#include "WindowFixture.h"
#include "app/shell/AppSetup.h"
#include "app/widgets/FieldStyle.h"
#include "app/widgets/FixedSizeItem.h"
#include "app/shell/WindowIcon.h"

#include <QFile>
#include <QImageReader>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QStyleOption>
#include <QToolButton>
#include <QtTest>

class TestAppearance : public QObject
{
    Q_OBJECT

private slots:
    void startUpLoadsNoImagePlugin();
    void fieldFrame_data();
    void fieldFrame();
    void overflowArrowsAreDrawn();
    void windowIconHasEverySizeAsDrawn();
    void fixedSizeItemAnswersAsTheControl_data();
    void fixedSizeItemAnswersAsTheControl();
};

void TestAppearance::startUpLoadsNoImagePlugin()
{
    // Loading one plugin loads them all (with the JPEG and SVG libraries behind them),
    // for nothing that the window shows at start.
    setUpApplication(*qApp);
    WindowFixture fixture;
    QVERIFY(fixture.show(Shown::Exposed));
    QVERIFY(!QApplication::windowIcon().isNull());

    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    QVERIFY(!mapped.isEmpty());
    QVERIFY2(!mapped.contains("/imageformats/"), "an image-format plugin was loaded");
}

void TestAppearance::fieldFrame_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<int>("ringWidth");
    QTest::addColumn<QPalette::ColorRole>("ring");
    QTest::newRow("unfocused") << false << 1 << QPalette::Mid;
    QTest::newRow("focused") << true << 2 << QPalette::Highlight;
}

void TestAppearance::fieldFrame()
{
    QFETCH(bool, focused);
    QFETCH(int, ringWidth);
    QFETCH(QPalette::ColorRole, ring);

    FieldStyle style;
    QStyleOptionFrame option;
    option.rect = QRect(0, 0, 40, 20);
    option.palette = style.standardPalette();
    option.state = QStyle::State_Enabled | (focused ? QStyle::State_HasFocus : QStyle::State_None);
    QImage image(option.rect.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    {
        QPainter painter(&image);
        style.drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, nullptr);
    }
    const QRgb frame = option.palette.color(ring).rgb();
    const QRgb base = option.palette.color(QPalette::Base).rgb();
    QVERIFY(frame != base);
    // The ring, as deep as it should be, on each of the four sides.
    for (int depth = 0; depth < ringWidth; ++depth) {
        for (const QPoint at : {QPoint(20, depth), QPoint(20, 19 - depth), QPoint(depth, 10), QPoint(39 - depth, 10)})
            QCOMPARE(image.pixel(at), frame);
    }
    QCOMPARE(image.pixel(ringWidth, ringWidth), base);
    QCOMPARE(image.pixel(39 - ringWidth, 19 - ringWidth), base);
    QCOMPARE(image.pixel(20, 10), base);
}

void TestAppearance::overflowArrowsAreDrawn()
{
    // A menu bar too narrow for its menus shows its hidden ones behind this button.
    QMenuBar bar;
    auto *extension = bar.findChild<QToolButton *>(QStringLiteral("qt_menubar_ext_button"));
    QVERIFY(extension);
    QVERIFY(!extension->icon().isNull());

    FieldStyle style;
    QImage arrows[2];
    const QStyle::StandardPixmap kinds[2] = {QStyle::SP_ToolBarHorizontalExtensionButton,
                                             QStyle::SP_ToolBarVerticalExtensionButton};
    for (int i = 0; i < 2; ++i) {
        arrows[i] = style.standardIcon(kinds[i]).pixmap(16, 16).toImage();
        QCOMPARE(arrows[i].size(), QSize(16, 16));
        int opaque = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x)
                opaque += qAlpha(arrows[i].pixel(x, y)) > 128;
        }
        QVERIFY2(opaque >= 10, "the arrows are (nearly) invisible");
    }
    QVERIFY(arrows[0] != arrows[1]); // one points along the bar, the other down
}

void TestAppearance::windowIconHasEverySizeAsDrawn()
{
    const QIcon icon = fraymarkWindowIcon();
    QVERIFY(!icon.isNull());
    QList<QSize> expected;
    for (const int side : fraymarkWindowIconSizes())
        expected.push_back(QSize(side, side));
    QCOMPARE(icon.availableSizes(), expected);

    for (const int side : fraymarkWindowIconSizes()) {
        // The source PNG, read as the program must not: here only, to compare.
        QImageReader reader(QStringLiteral(FRAYMARK_ICON_DIR "/fraymark-%1.png").arg(side), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage drawn = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QVERIFY2(!drawn.isNull(), qPrintable(reader.errorString()));
        const QImage built = icon.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QCOMPARE(built.size(), QSize(side, side));
        QVERIFY2(built == drawn, qPrintable(QStringLiteral("size %1 differs from its PNG").arg(side)));
    }
}

void TestAppearance::fixedSizeItemAnswersAsTheControl_data()
{
    QTest::addColumn<QSize>("fixed"); // invalid: not of fixed size
    QTest::newRow("fixed") << QSize(57, 23);
    QTest::newRow("free") << QSize();
}

void TestAppearance::fixedSizeItemAnswersAsTheControl()
{
    // A layout must place a control the same whichever item stands for it.
    QFETCH(QSize, fixed);
    QWidget parent;
    auto *field = new QLineEdit(&parent);
    if (fixed.isValid())
        field->setFixedSize(fixed);

    const FixedSizeItem item(field);
    const QWidgetItem reference(field);
    QCOMPARE(item.sizeHint(), reference.sizeHint());
    QCOMPARE(item.minimumSize(), reference.minimumSize());
    QCOMPARE(item.maximumSize(), reference.maximumSize());
    QCOMPARE(item.expandingDirections(), reference.expandingDirections());
    QCOMPARE(item.isEmpty(), reference.isEmpty());
    if (fixed.isValid())
        QCOMPARE(item.sizeHint(), fixed);
}

QTEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
