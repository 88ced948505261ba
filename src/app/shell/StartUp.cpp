#include "app/shell/StartUp.h"

QString windowCaption(const QString &verTxt)
{
    return QStringLiteral("Fraymark ") + verTxt + QStringLiteral(" - By Vesmar");
}
