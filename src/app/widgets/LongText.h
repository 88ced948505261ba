#pragma once

#include <QString>

class QWidget;

// What the window's text controls share about texts too long to lay out quickly.
namespace longtext {

// The start of `text`, at most `length` characters, never half a surrogate pair.
QString leadingPart(const QString &text, qsizetype length);

// The length of the longest line of `text`, where a line ends as a text document ends
// its blocks: at LF, CR, U+2029 and the frame markers U+FDD0 and U+FDD1.
qsizetype longestLine(const QString &text);
bool isBlockBreak(QChar c);

// A count of characters as the user reads numbers.
QString count(qsizetype characters);

// Shows a refused edit's message beside `control`: the fallback when nobody listens
// to the control's inputRefused() signal, so a refusal is never silent.
void showRefusal(QWidget *control, const QString &message);

} // namespace longtext
