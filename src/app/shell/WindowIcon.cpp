#include "app/shell/WindowIcon.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QResource>

#include <cstdint>
#include <cstring>

namespace {

// One size's pixels, in place in the binary's resources.
struct IconImage
{
    QByteArray data; // width, height, then the rows; raw data of the resource, not copied
    int side = 0;

    QImage image() const
    {
        return QImage(reinterpret_cast<const uchar *>(data.constData()) + 2 * sizeof(std::uint32_t), side,
                      side, side * 4, QImage::Format_ARGB32_Premultiplied);
    }
};

QList<IconImage> iconImages()
{
    QList<IconImage> images;
    for (const int side : fraymarkWindowIconSizes()) {
        const QResource resource(QStringLiteral(":/icons/fraymark-%1.argb").arg(side));
        const QByteArray data = resource.compressionAlgorithm() == QResource::NoCompression
                                    ? QByteArray::fromRawData(reinterpret_cast<const char *>(resource.data()),
                                                              resource.size())
                                    : resource.uncompressedData();
        std::uint32_t size[2] = {};
        if (data.size() < qsizetype(sizeof size))
            continue;
        std::memcpy(size, data.constData(), sizeof size);
        if (size[0] != std::uint32_t(side) || size[1] != std::uint32_t(side)
            || data.size() != qsizetype(sizeof size) + qsizetype(side) * side * 4)
            continue;
        images.push_back({data, side});
    }
    return images;
}

class WindowIconEngine : public QIconEngine
{
public:
    explicit WindowIconEngine(QList<IconImage> images)
        : m_images(std::move(images))
    {
    }

    // The size asked for when it is built in; otherwise the next larger one (or the
    // largest) scaled to it. Window icons are never shown disabled or selected, so
    // every mode gets the same pixels.
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        if (m_images.isEmpty() || size.isEmpty())
            return {};
        const int wanted = std::max(size.width(), size.height());
        const IconImage *best = &m_images.last();
        for (const IconImage &image : m_images) {
            if (image.side >= wanted) {
                best = &image;
                break;
            }
        }
        QPixmap pixmap = QPixmap::fromImage(best->image());
        if (pixmap.size() != size)
            pixmap = pixmap.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return pixmap;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = pixmap(rect.size() * ratio, mode, state);
        pm.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, pm);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return m_images.isEmpty() ? QSize() : QSize(side, side);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const IconImage &image : m_images)
            sizes.push_back(QSize(image.side, image.side));
        return sizes;
    }

    bool isNull() override { return m_images.isEmpty(); }
    QIconEngine *clone() const override { return new WindowIconEngine(m_images); }
    QString key() const override { return QStringLiteral("FraymarkWindowIcon"); }

private:
    QList<IconImage> m_images;
};

} // namespace

QList<int> fraymarkWindowIconSizes()
{
    return {16, 24, 32, 48, 64};
}

QIcon fraymarkWindowIcon()
{
    return QIcon(new WindowIconEngine(iconImages()));
}
