#pragma once

#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QString>
#include <QThreadPool>

/// Book covers for the shelf, decoded off the GUI thread at the size they are
/// drawn and kept in QPixmapCache by path and size. Only what a view asks for
/// is loaded, so a library of 20,000 books reads the covers of the rows on
/// screen, not all of them; when the user scrolls fast, the newest requests
/// are served first and old ones are dropped (a row that comes back into
/// view asks again). Nothing here touches the file system on the GUI thread:
/// a missing or broken cover file is found out by the decode.
///
/// GUI thread only; decodes run on a pool of its own and are waited for on
/// destruction.
class CoverLoader : public QObject
{
    Q_OBJECT
public:
    enum State
    {
        Ready,   ///< the pixmap is the cover
        Loading, ///< being decoded: draw a placeholder; coverReady() follows
        Missing  ///< no usable image at the path: draw the default cover
    };

    static constexpr const char* CacheKeyPrefix = "book_list_view_";
    /// Requests waiting beyond this many are dropped, oldest first: about
    /// two screens of a large shelf.
    static constexpr int MaxQueued = 64;

    explicit CoverLoader(QObject* parent = nullptr);
    ~CoverLoader() override;

    /// The cover at path scaled into size (aspect ratio kept). Ready gives
    /// the pixmap; Loading queues a decode unless one is queued already.
    QPixmap cover(const QString& path, const QSize& size, State* state);
    /// Decodes waiting or running.
    int pending() const { return m_queue.size() + m_running; }

    static QString cacheKey(const QString& path, const QSize& size);
    /// The decode itself; any thread. A null image for a missing file, data
    /// that does not decode or an image beyond the shared limits.
    static QImage decode(const QString& path, const QSize& size);

signals:
    void coverReady(const QString& path);

private:
    struct Request
    {
        QString path;
        QSize size;
        QString key;
    };
    void startNext();
    void finish(const Request& request, const QImage& image);

    QList<Request> m_queue;  ///< newest first
    QSet<QString> m_waiting; ///< keys queued or running
    QSet<QString> m_missing; ///< keys whose file gave no image
    int m_running = 0;
    QThreadPool m_pool;
};
