#include "CoverLoader.h"

#include "SafeImage.h"

#include <QImageReader>
#include <QPixmapCache>

namespace {
// Room for about a thousand shelf covers (60 KB each); Qt's default of
// 10 MB holds fewer than three screens of a large window.
constexpr int kCacheLimitKb = 64 * 1024;
} // namespace

CoverLoader::CoverLoader(QObject* parent) : QObject(parent)
{
    if (QPixmapCache::cacheLimit() < kCacheLimitKb)
        QPixmapCache::setCacheLimit(kCacheLimitKb);
    m_pool.setMaxThreadCount(qBound(1, QThread::idealThreadCount(), 2));
}

CoverLoader::~CoverLoader()
{
    m_queue.clear();
    m_pool.waitForDone();
}

QString CoverLoader::cacheKey(const QString& path, const QSize& size)
{
    return QStringLiteral("%1%2_%3x%4")
        .arg(QLatin1String(CacheKeyPrefix), path)
        .arg(size.width())
        .arg(size.height());
}

QImage CoverLoader::decode(const QString& path, const QSize& size)
{
    if (path.isEmpty() || !size.isValid())
        return QImage();
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize original = reader.size();
    if (original.isValid() && !SafeImage::acceptable(original))
        return QImage();
    // Decoding at the target size is far cheaper than scaling a large
    // image afterwards; formats that cannot do it are scaled below.
    if (original.isValid() && (original.width() > size.width() || original.height() > size.height()))
        reader.setScaledSize(original.scaled(size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    if (image.isNull() || !SafeImage::acceptable(image.size()))
        return QImage();
    if (image.width() > size.width() || image.height() > size.height())
        image = image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QPixmap CoverLoader::cover(const QString& path, const QSize& size, State* state)
{
    const QString key = cacheKey(path, size);
    QPixmap pixmap;
    if (path.isEmpty() || m_missing.contains(key)) {
        *state = Missing;
        return pixmap;
    }
    if (QPixmapCache::find(key, &pixmap)) {
        *state = Ready;
        return pixmap;
    }
    *state = Loading;
    if (m_waiting.contains(key)) {
        // Asked again: serve it before the rows that scrolled away.
        for (int i = 0; i < m_queue.size(); ++i) {
            if (m_queue.at(i).key == key) {
                m_queue.move(i, 0);
                break;
            }
        }
        return pixmap;
    }
    m_waiting.insert(key);
    m_queue.prepend({path, size, key});
    while (m_queue.size() > MaxQueued)
        m_waiting.remove(m_queue.takeLast().key);
    startNext();
    return pixmap;
}

void CoverLoader::startNext()
{
    while (m_running < m_pool.maxThreadCount() && !m_queue.isEmpty()) {
        const Request request = m_queue.takeFirst();
        ++m_running;
        m_pool.start([this, request] {
            const QImage image = decode(request.path, request.size);
            // Delivered on the GUI thread; dropped if the loader is gone.
            QMetaObject::invokeMethod(
                this, [this, request, image] { finish(request, image); }, Qt::QueuedConnection);
        });
    }
}

void CoverLoader::finish(const Request& request, const QImage& image)
{
    --m_running;
    m_waiting.remove(request.key);
    if (image.isNull())
        m_missing.insert(request.key);
    else
        QPixmapCache::insert(request.key, QPixmap::fromImage(image));
    startNext();
    emit coverReady(request.path);
}
