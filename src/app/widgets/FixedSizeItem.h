#pragma once

#include <QLayoutItem>

// A layout item for a control of fixed size (minimum size equal to maximum size): it
// gives the layout that size without asking the control for its size hints, which a
// line edit or a push button works out from the font and the style every time a
// layout is set up. A control that is not of fixed size is asked as usual.
// Use: control->setFixedSize(...); layout->addItem(new FixedSizeItem(control));
class FixedSizeItem : public QWidgetItem
{
public:
    explicit FixedSizeItem(QWidget *control, Qt::Alignment alignment = {});

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    QSize maximumSize() const override;
    bool hasHeightForWidth() const override;

private:
    bool isFixed() const;
};
