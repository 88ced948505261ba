#pragma once

#include <QProxyStyle>

// The window's style with a plain frame for its 200-odd text fields: the default
// frame is an antialiased rounded path per field, and painting it dominated the
// window's first appearance. Everything else is drawn by the base style.
class FieldStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;
};
