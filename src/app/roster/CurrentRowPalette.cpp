#include "app/roster/CurrentRowPalette.h"

#include <cmath>

namespace {

constexpr double LeastContrast = 4.5;

double channel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

// Relative luminance as the web's contrast rules define it.
double luminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

RowColours currentRowColours(const QPalette &palette)
{
    QColor background = palette.color(QPalette::Active, QPalette::Highlight);
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const bool darkText = contrastRatio(background, black) >= contrastRatio(background, white);
    const QColor text = darkText ? black : white;
    // Step the lightness away from the text until the two read apart.
    for (int step = 0; step < 20 && contrastRatio(background, text) < LeastContrast; ++step)
        background = darkText ? background.lighter(110) : background.darker(110);
    return {background, text};
}

QPalette currentRowPalette(QPalette base, const RowColours &colours)
{
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (const QPalette::ColorRole role : {QPalette::Base, QPalette::Window, QPalette::Button})
            base.setColor(group, role, colours.background);
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            base.setColor(group, role, colours.text);
        base.setColor(group, QPalette::Highlight, colours.text);
        base.setColor(group, QPalette::HighlightedText, colours.background);
    }
    // A down row's fields are disabled: their text stays the grey of a down row, half way
    // to the background, so a lit row still shows that its combatant is down.
    const QColor &t = colours.text;
    const QColor &b = colours.background;
    const QColor grey((t.red() + b.red()) / 2, (t.green() + b.green()) / 2, (t.blue() + b.blue()) / 2);
    for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        base.setColor(QPalette::Disabled, role, grey);
    return base;
}
