#pragma once

#include <QString>
#include <QtGlobal>

// "v" + major + "." + minor, as the caption and the old-version warning show it.
QString versionText(qint16 major, qint16 minor);

// "Fraymark " + version text + " - By Vesmar".
QString windowCaption(const QString &verTxt);
