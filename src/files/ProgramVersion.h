#pragma once

#include <QString>
#include <QtGlobal>

namespace files {

// "v" + major + "." + minor, as the caption and the old-version warning show it.
QString versionText(qint16 major, qint16 minor);

// This build's version text.
QString programVersionText();

} // namespace files
