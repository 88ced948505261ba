// The column captions over a scroll area, as a screen reader reaches them.
#include "app/widgets/CaptionedScrollArea.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <algorithm>

namespace {
// Every interface under root, depth first; a child whose parent or index disagrees fails.
void walk(QAccessibleInterface *root, QList<QAccessibleInterface *> &seen)
{
    seen.append(root);
    for (int i = 0; i < root->childCount() && !QTest::currentTestFailed(); ++i) {
        QAccessibleInterface *child = root->child(i);
        QVERIFY(child);
        QCOMPARE(child->parent(), root);
        QCOMPARE(root->indexOfChild(child), i);
        walk(child, seen);
    }
}
} // namespace

class TestCaptionedScrollArea : public QObject
{
    Q_OBJECT

private slots:
    void captionsAreInTheTreeBeforeTheRows()
    {
        QWidget window;
        auto *area = new CaptionedScrollArea(&window);
        (new QHBoxLayout(&window))->addWidget(area);
        auto *page = new QWidget;
        page->setMinimumSize(800, 600); // both scroll bars shown, listed after the strip
        auto *row = new QHBoxLayout(page);
        const QStringList names{QStringLiteral("Name"), QStringLiteral("HP"), QStringLiteral("AC")};
        for (int i = 0; i < names.size(); ++i)
            row->addWidget(new QLineEdit(page));
        area->setWidget(page);
        for (int i = 0; i < names.size(); ++i)
            area->standOver(new QLabel(names[i], area->captionStrip()), row->itemAt(i)->widget());
        window.resize(300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QList<QAccessibleInterface *> seen;
        walk(QAccessible::queryAccessibleInterface(&window), seen);
        QVERIFY(!QTest::currentTestFailed());
        const qsizetype firstRow = seen.indexOf(QAccessible::queryAccessibleInterface(row->itemAt(0)->widget()));
        for (const QString &name : names) {
            const auto found = std::find_if(seen.begin(), seen.end(), [&](QAccessibleInterface *face) {
                return face->role() == QAccessible::StaticText && face->text(QAccessible::Name) == name;
            });
            QVERIFY2(found != seen.end(), qPrintable(name));
            QVERIFY(found - seen.begin() < firstRow);
        }
    }
};

QTEST_MAIN(TestCaptionedScrollArea)
#include "tst_captionedscrollarea.moc"
