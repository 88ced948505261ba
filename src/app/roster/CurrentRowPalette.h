#pragma once

#include <QColor>
#include <QPalette>

// The colours of the current combatant's row: the palette's highlight behind, and black
// or white text, whichever reads better. Where neither reaches a contrast of 4.5:1 (the
// least for normal text), the highlight is darkened or lightened until it does.
struct RowColours
{
    QColor background;
    QColor text;
};

RowColours currentRowColours(const QPalette &palette);

// The contrast ratio of two colours, from 1 (none) to 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);

// `base` with the row colours in every colour group. A field's focus frame, which is
// drawn in the highlight colour, takes the text colour so that it still shows; a disabled
// field's text is grey, half way between the text and the background.
QPalette currentRowPalette(QPalette base, const RowColours &colours);
