#include "app/widgets/LongText.h"

#include <QLocale>
#include <QToolTip>
#include <QWidget>

namespace longtext {

QString leadingPart(const QString &text, qsizetype length)
{
    if (text.size() <= length)
        return text;
    if (length > 0 && text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

bool isBlockBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xfdd0) || c == QChar(0xfdd1);
}

qsizetype longestLine(const QString &text)
{
    qsizetype longest = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isBlockBreak(text.at(i))) {
            longest = std::max(longest, i - start);
            start = i + 1;
        }
    }
    return std::max(longest, text.size() - start);
}

QString count(qsizetype characters)
{
    return QLocale().toString(characters);
}

void showRefusal(QWidget *control, const QString &message)
{
    QToolTip::showText(control->mapToGlobal(QPoint(0, control->height())), message, control);
}

} // namespace longtext
