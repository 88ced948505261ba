// Build-time tool: turns one of the icon's PNGs into the raw pixels the program reads
// at start-up (width and height as 32-bit numbers, then premultiplied ARGB32 rows),
// so showing the window decodes no PNG and asks no image plugin.
//   icon_pixels <in.png> <out.argb>
#include <QFile>
#include <QImage>
#include <QImageReader>

#include <cstdint>
#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_pixels <in.png> <out.argb>\n");
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]), "png");
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        std::fprintf(stderr, "icon_pixels: cannot read %s: %s\n", argv[1], qPrintable(reader.errorString()));
        return 1;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "icon_pixels: cannot write %s\n", argv[2]);
        return 1;
    }
    const std::uint32_t size[2] = {std::uint32_t(image.width()), std::uint32_t(image.height())};
    out.write(reinterpret_cast<const char *>(size), sizeof size);
    for (int y = 0; y < image.height(); ++y)
        out.write(reinterpret_cast<const char *>(image.constScanLine(y)), qint64(image.width()) * 4);
    return out.flush() ? 0 : 1;
}
