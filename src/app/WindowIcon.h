#pragma once

#include <QIcon>
#include <QList>

// The program's icon at the sizes built into the binary (16 to 256 pixels, rendered
// from packaging/fraymark.svg by scripts/make-icons.sh), for window managers and task
// bars. The build stores each PNG as raw premultiplied pixels, and the icon makes a
// pixmap straight from them when one is asked for: setting it on a window decodes no
// PNG, loads no image plugin and keeps no copy of the pixels.
// A window is given every size the icon has (as X11 wants them all at once, the 256
// and 128 pixel ones make up 91% of that); largestSide leaves out the larger ones.
QIcon fraymarkWindowIcon(int largestSide = 256);

// The sizes built in, smallest first.
QList<int> fraymarkWindowIconSizes();
