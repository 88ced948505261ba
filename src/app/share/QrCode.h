#pragma once

#include <QImage>
#include <QString>

// `text` as a QR code (error correction level M), one pixel a module, black on white with
// the quiet zone of four modules a reader needs. Null when the text does not fit in one.
QImage qrCode(const QString &text);
