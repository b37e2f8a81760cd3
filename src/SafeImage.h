#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class QIODevice;

/// Decoding images that come from books and archives without trusting them:
/// the size the image claims is checked against Limits before any pixel is
/// allocated, so a 100,000 × 100,000 PNG of a few bytes is refused instead of
/// taking gigabytes. Safe on any thread (QImage, never QPixmap).
namespace SafeImage {

/// Whether an image of `size` may be decoded (valid, within the side and
/// pixel limits).
bool acceptable(const QSize& size);
/// Decodes `data` (format detected from the bytes). A null image when the
/// data does not decode or claims a size that is not acceptable(); `reason`,
/// when given, then says why in English for the log.
QImage decode(const QByteArray& data, QString* reason = nullptr);
/// The same from a device positioned at the image's start.
QImage decode(QIODevice* device, QString* reason = nullptr);
/// Decodes `data` no larger than `bound` (aspect ratio kept, never
/// enlarged, smooth). Formats that can decode at a reduced size (JPEG) do
/// so, which is several times faster than decoding all pixels and scaling.
/// The same checks and failures as decode().
QImage decodeWithin(const QByteArray& data, const QSize& bound, QString* reason = nullptr);
/// The size the image in `data` claims, without decoding it; invalid when
/// unknown.
QSize claimedSize(const QByteArray& data);
/// `image` fitted into `side` x `side` as a book's text shows it: unchanged
/// when it fits, else scaled keeping its proportions with sides rounded, not
/// truncated (1200 x 900 into 350 gives 350 x 263), fast scaling.
QImage fitted(const QImage& image, int side);

} // namespace SafeImage
