#pragma once

#include <QFuture>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWaitCondition>

#include <atomic>
#include <functional>

/// The words of every page of a page book (PDF, DjVu), extracted once on a
/// pool thread, page by page from the first, and kept for later searches.
/// Extraction takes about 5 ms a PDF page (half a second per hundred pages),
/// far too long to search a book on the GUI thread; this way a search only
/// collects what is ready and never waits.
///
/// A page's text is its words in reading order, one per line ("\n" between
/// them). Thread-safe. Whatever `words` uses must outlive the cache; the
/// destructor stops the extraction and waits for the page in progress.
class PageTextCache
{
public:
    /// The words of one page (1-based); called on pool threads and on the
    /// thread of textNow().
    using WordsOfPage = std::function<QStringList(int page)>;

    PageTextCache(WordsOfPage words, int pageCount);
    ~PageTextCache();
    PageTextCache(const PageTextCache&) = delete;
    PageTextCache& operator=(const PageTextCache&) = delete;

    /// Starts the extraction on the global thread pool; later calls do nothing.
    void start();
    /// The text of `page` when it has been extracted; false while it has not.
    bool text(int page, QString* out) const;
    /// The same, waiting up to `timeoutMs` for the page to be extracted.
    bool waitForText(int page, int timeoutMs, QString* out) const;
    /// The text of `page`, extracted now on the calling thread if needed.
    QString textNow(int page);

private:
    void run();
    QString extract(int page);

    WordsOfPage m_words;
    mutable QMutex m_mutex;
    mutable QWaitCondition m_extracted; ///< woken after each page
    QVector<QString> m_texts;
    QVector<bool> m_ready;
    std::atomic<bool> m_stop{false};
    bool m_started = false;
    QFuture<void> m_future;
};
