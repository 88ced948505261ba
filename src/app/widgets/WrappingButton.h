#pragma once

#include <QPushButton>

// A push button whose caption wraps onto several lines when the button is narrow,
// as "Calculate Fighting Order" does on its tall button. text() stays one line.
class WrappingButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static constexpr int Padding = 6;
};
