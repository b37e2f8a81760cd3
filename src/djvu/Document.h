#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWaitCondition>

#include <functional>

class QImage;

struct ddjvu_context_s;
struct ddjvu_document_s;

namespace djvu {

/// One DjVu file opened through DjVuLibre (ddjvuapi): its own context and
/// document, the page sizes, rendered pixels, the hidden text, the outline
/// and the metadata.
///
/// DjVuLibre decodes on threads of its own and reports through a message
/// queue. Every call into the library is serialised by one process-wide lock
/// (its lisp values, the outline and text, live in one shared heap); waiting
/// for decoded data happens outside that lock, woken by the queue's
/// callback, and the queue is drained on every wait, so it never grows.
/// Every operation may run on any thread, also at the same time.
class Document
{
public:
    enum Error
    {
        NoError = 0,
        FileNotFound,
        CannotOpen,
        Damaged,     ///< not a DjVu file, or one DjVuLibre cannot decode
        TooManyPages ///< claims more pages than Limits::maxPageCount
    };

    struct Outline
    {
        QString title;
        int page = 0; ///< 1-based; 0 when the target is not a page of the book
        QList<Outline> children;
    };

    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    /// Opens a bundled or indirect document (its index file). The pages of an
    /// indirect document are read when they are needed; a missing page file
    /// leaves only that page empty.
    bool load(const QString& path);
    bool isLoaded() const { return m_document != nullptr; }
    Error lastError() const { return m_error; }
    /// DjVuLibre's last error message (English), for the log.
    QString lastMessage() const;

    int pageCount() const { return m_pageCount; }
    /// The page's size in points (1/72 inch) as shown, turned by its
    /// rotation; invalid when the page cannot be read or is larger than the
    /// image limits allow.
    QSizeF pageSize(int page) const;
    /// The page turned as stored, drawn at `scale` (points to pixels) into an
    /// image of exactly `size` pixels; null on failure.
    QImage renderPage(int page, double scale, const QSize& size) const;
    /// The words of the hidden text layer in reading order; empty when the
    /// page has none.
    QStringList pageWords(int page) const;
    /// The outline (bookmarks), nested as in the file.
    QList<Outline> outlines() const;
    /// A metadata value of the document ("title", "author", ...); empty when
    /// the file has none.
    QString metadata(const QString& key) const;

private:
    struct PageInfo
    {
        enum State
        {
            Unread,
            Read,
            Failed ///< missing, damaged or too large: stays so
        };
        State state = Unread;
        QSize pixels; ///< as shown: DjVuLibre turns the stored size
        int dpi = 0;
        int rotation = 0; ///< quarter turns counter-clockwise
    };

    void close();
    /// Calls `poll` under the library lock (after draining the message
    /// queue) until it returns true; false when the time runs out.
    bool waitFor(const std::function<bool()>& poll, int timeoutMs) const;
    /// Reads and drops every queued message; under the library lock.
    void drainMessages() const;
    bool pageInfo(int page, PageInfo* info) const;
    /// The 1-based page an outline link ("#12", "#page-id") points to.
    int linkTarget(const QString& link) const;
    static void onMessage(ddjvu_context_s* context, void* closure);

    ddjvu_context_s* m_context = nullptr;
    ddjvu_document_s* m_document = nullptr;
    int m_pageCount = 0;
    Error m_error = NoError;
    // Under the library lock:
    mutable QString m_lastMessage;
    mutable QVector<PageInfo> m_pages;
    mutable QHash<QString, int> m_pageIds; ///< page file names and ids, for outline links
    mutable bool m_pageIdsRead = false;

    mutable QMutex m_signalMutex; ///< guards m_messages, with m_messageArrived
    mutable QWaitCondition m_messageArrived;
    mutable quint64 m_messages = 0;
};

} // namespace djvu
