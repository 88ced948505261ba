#pragma once

#include <QString>

class QKeyEvent;

// What the target bar's modes share.
namespace bar {

bool isEnter(const QKeyEvent *key);

// A name set apart, so that right-to-left or other control characters in it cannot turn
// the text after it around: its own direction marks go, and the rest is isolated.
QString isolated(const QString &name);

} // namespace bar
