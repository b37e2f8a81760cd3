#include "SafeImage.h"

#include "Limits.h"

#include <QBuffer>
#include <QImageReader>

namespace SafeImage {

bool acceptable(const QSize& size)
{
    if (!size.isValid() || size.isEmpty())
        return false;
    if (size.width() > Limits::maxImageSide || size.height() > Limits::maxImageSide)
        return false;
    return qint64(size.width()) * size.height() <= Limits::maxImagePixels;
}

namespace {

QImage read(QIODevice* device, const QSize& bound, QString* reason)
{
    QImageReader reader(device);
    // The header's claim is read before the pixels are: a tiny file may
    // promise an enormous image.
    const QSize size = reader.size();
    if (size.isValid() && !acceptable(size)) {
        if (reason)
            *reason = QStringLiteral("image of %1x%2 pixels refused").arg(size.width()).arg(size.height());
        return QImage();
    }
    if (bound.isValid() && size.isValid() && (size.width() > bound.width() || size.height() > bound.height()))
        reader.setScaledSize(size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull()) {
        if (reason)
            *reason = QStringLiteral("image not decoded: %1").arg(reader.errorString());
        return QImage();
    }
    // Some formats do not tell their size up front; check what came out.
    if (!acceptable(image.size())) {
        if (reason)
            *reason = QStringLiteral("image of %1x%2 pixels refused").arg(image.width()).arg(image.height());
        return QImage();
    }
    // A format that did not tell its size up front is scaled here.
    if (bound.isValid() && (image.width() > bound.width() || image.height() > bound.height()))
        image = image.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace

QImage decode(QIODevice* device, QString* reason)
{
    return read(device, QSize(), reason);
}

QImage decodeWithin(const QByteArray& data, const QSize& bound, QString* reason)
{
    QByteArray bytes = data; // shared, not copied
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(&buffer, bound, reason);
}

QImage decode(const QByteArray& data, QString* reason)
{
    QByteArray bytes = data; // shared, not copied
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return decode(&buffer, reason);
}

QSize claimedSize(const QByteArray& data)
{
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).size();
}

QImage fitted(const QImage& image, int side)
{
    if (image.isNull() || (image.width() <= side && image.height() <= side))
        return image;
    const double factor = double(side) / qMax(image.width(), image.height());
    const QSize size(qMax(1, qRound(image.width() * factor)), qMax(1, qRound(image.height() * factor)));
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace SafeImage
