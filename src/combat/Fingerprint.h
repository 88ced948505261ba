#pragma once

#include <QString>
#include <QtGlobal>

namespace combat {

// A 64-bit fingerprint of a text (FNV-1a over its UTF-16 code units), the same on every
// machine and in every version, so one kept in a file still tells a text apart later.
// Not a protection against a text made to match: it tells changes, not forgeries.
inline quint64 textFingerprint(QStringView text)
{
    quint64 hash = 0xcbf29ce484222325ULL;
    for (const QChar c : text) {
        hash ^= c.unicode();
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace combat
