#pragma once

#include "files/ProgramVersion.h"

#include <QString>

using files::versionText;

// "Fraymark " + version text + " - By Vesmar".
QString windowCaption(const QString &verTxt);
