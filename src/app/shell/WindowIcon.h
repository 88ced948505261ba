#pragma once

#include <QIcon>
#include <QList>

// The program's icon at the sizes built into the binary (16 to 64 pixels, rendered
// from packaging/fraymark.svg by scripts/make-icons.sh), for window managers and task
// bars. The build stores each PNG as raw premultiplied pixels, and the icon makes a
// pixmap straight from them when one is asked for: setting it on a window decodes no
// PNG, loads no image plugin and keeps no copy of the pixels.
// X11 is sent every size at once when a window is made, so larger ones would cost
// start-up time; an installed copy has the SVG for them, through its desktop entry.
QIcon fraymarkWindowIcon();

// The sizes built in, smallest first.
QList<int> fraymarkWindowIconSizes();
