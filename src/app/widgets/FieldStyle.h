#pragma once

#include <QProxyStyle>

// The program's style, set on the application before any window is made.
//  - A plain frame for the window's 200-odd text fields: the default frame is an
//    antialiased rounded path per field, and painting it dominated the window's first
//    appearance. The frame is two solid fills, no pen.
//  - The overflow arrows of menu and tool bars drawn in code: the stock ones are image
//    files, and reading the first of them loads every image-format plugin (and the
//    libraries behind them) while the menu bar is being made, for a button that is
//    hidden unless the window is too narrow for its menus.
// Everything else is drawn by the base style.
class FieldStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption *option = nullptr,
                       const QWidget *widget = nullptr) const override;
};
