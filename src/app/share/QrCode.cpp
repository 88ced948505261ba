#include "app/share/QrCode.h"

#include <qrencode.h>

#include <memory>

QImage qrCode(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(bytes.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (!code)
        return {};
    constexpr int Quiet = 4;
    const int width = code->width;
    QImage image(width + 2 * Quiet, width + 2 * Quiet, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    for (int y = 0; y < width; ++y) {
        for (int x = 0; x < width; ++x) {
            // The lowest bit of each module says dark or light.
            if (code->data[y * width + x] & 1)
                image.setPixel(x + Quiet, y + Quiet, qRgb(0, 0, 0));
        }
    }
    return image;
}
