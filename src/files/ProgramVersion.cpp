#include "files/ProgramVersion.h"

#include "files/Version.h"
#include "roster/FieldText.h"

namespace files {

QString versionText(qint16 major, qint16 minor)
{
    return QStringLiteral("v") + roster::integerToText(major) + u'.' + roster::integerToText(minor);
}

QString programVersionText()
{
    return versionText(FraymarkVersionMajor, FraymarkVersionMinor);
}

} // namespace files
