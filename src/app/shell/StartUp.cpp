#include "app/shell/StartUp.h"

#include "roster/FieldText.h"

QString versionText(qint16 major, qint16 minor)
{
    return QStringLiteral("v") + roster::integerToText(major) + u'.' + roster::integerToText(minor);
}

QString windowCaption(const QString &verTxt)
{
    return QStringLiteral("Fraymark ") + verTxt + QStringLiteral(" - By Vesmar");
}
