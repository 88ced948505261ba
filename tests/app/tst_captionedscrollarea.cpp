// The column captions over a scroll area, as a screen reader reaches them.
#include "app/CaptionedScrollArea.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
// Every interface under root, depth first, each child after its parent and its
// elder siblings; a child whose parent or index disagrees with the walk fails.
void walk(QAccessibleInterface *root, QList<QAccessibleInterface *> &seen)
{
    seen.append(root);
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface *child = root->child(i);
        QVERIFY2(child, qPrintable(u"no child %1 of %2"_s.arg(i).arg(root->text(QAccessible::Name))));
        QCOMPARE(child->parent(), root);
        QCOMPARE(root->indexOfChild(child), i);
        walk(child, seen);
        if (QTest::currentTestFailed())
            return;
    }
}
} // namespace

class TestCaptionedScrollArea : public QObject
{
    Q_OBJECT

private slots:
    void captionsAreInTheTreeBeforeTheRows();
};

void TestCaptionedScrollArea::captionsAreInTheTreeBeforeTheRows()
{
    QWidget window;
    auto *area = new CaptionedScrollArea(&window);
    (new QVBoxLayout(&window))->addWidget(area);
    auto *page = new QWidget;
    auto *row = new QHBoxLayout(page);
    const QStringList names{u"Name"_s, u"HP"_s, u"AC"_s};
    QList<QLineEdit *> fields;
    for (const QString &name : names) {
        fields.append(new QLineEdit(page));
        fields.last()->setAccessibleName(u"Row 1 "_s + name);
        row->addWidget(fields.last());
    }
    page->setMinimumSize(800, 600); // both scroll bars shown, listed after the strip
    area->setWidget(page);
    QList<QLabel *> captions;
    for (int i = 0; i < names.size(); ++i) {
        captions.append(new QLabel(names[i], area->captionStrip()));
        area->standOver(captions.last(), fields[i]);
    }
    window.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QList<QAccessibleInterface *> seen;
    walk(QAccessible::queryAccessibleInterface(&window), seen);
    if (QTest::currentTestFailed())
        return;
    const auto at = [&seen](QObject *object) {
        return seen.indexOf(QAccessible::queryAccessibleInterface(object));
    };
    for (int i = 0; i < names.size(); ++i) {
        QVERIFY2(at(captions[i]) >= 0, qPrintable(names[i]));
        QCOMPARE(seen[at(captions[i])]->text(QAccessible::Name), names[i]);
        QVERIFY(at(captions[i]) < at(fields.first()));
    }
}

QTEST_MAIN(TestCaptionedScrollArea)
#include "tst_captionedscrollarea.moc"
