#pragma once

#include <QFutureWatcher>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPair>

#include <functional>

/// Produces the pictures of a page viewer on the global thread pool, one job
/// at a time: first the page the reader wants, then the pages after it, so a
/// page turn usually finds its picture ready. Keeps the last few pictures.
///
/// A new request never waits on the GUI thread for a job that is running:
/// it is queued behind it (replacing an older queued request), and the
/// running job's picture is kept for later. Only cancelAndWait(), before the
/// document goes away, waits. After setProducer() (zoom, resize, column
/// change) every picture made the old way is dropped, also one still being
/// made. GUI thread; the producer runs on pool threads.
class PageLoader : public QObject
{
    Q_OBJECT
public:
    /// A page, or a spread of two pages (the second null for one page).
    using Picture = QPair<QImage, QImage>;
    /// Makes the picture of a page. Runs on a pool thread, so it may only use
    /// what stays valid until cancelAndWait() returns.
    using Producer = std::function<Picture(int page)>;

    /// Pictures kept: the one on screen, the ones ahead and one behind.
    static constexpr int CacheSize = 4;

    explicit PageLoader(QObject* parent = nullptr);
    /// Waits for the running job.
    ~PageLoader() override;

    /// Replaces the way pictures are made and forgets every picture made the
    /// old way. Call request() again afterwards.
    void setProducer(Producer producer);
    /// Wants `page` on screen: pageReady() at once when its picture is kept,
    /// else when its job ends (loadingStarted() first). The pages of `ahead`
    /// are made afterwards, in order, and kept.
    void request(int page, const QList<int>& ahead = {});
    /// Forgets the wanted page and the pages ahead and waits for the running
    /// job; no job runs when it returns. loadingCanceled() follows when a
    /// wanted page was still being made.
    void cancelAndWait();
    /// Forgets every picture (the producer stays).
    void clear();

    /// True while the wanted page is being made.
    bool isLoading() const { return m_wanted > 0; }
    /// True while any job runs (also one for a page ahead).
    bool isRunning() const { return m_watcher.isRunning(); }
    bool isCached(int page) const;

signals:
    /// The wanted page is not ready: its picture is being made.
    void loadingStarted();
    /// The picture of the wanted page.
    void pageReady(int page, const PageLoader::Picture& picture);
    /// The wanted page was given up before its picture was ready.
    void loadingCanceled();

private:
    struct Entry
    {
        int page = 0;
        Picture picture;
    };

    void schedule();
    void start(int page);
    void onFinished();
    void store(int page, const Picture& picture);
    const Entry* find(int page) const;

    Producer m_producer;
    QFutureWatcher<Picture> m_watcher;
    int m_runningPage = 0;
    quint64 m_runningGeneration = 0;
    quint64 m_generation = 0;
    int m_wanted = 0;
    QList<int> m_ahead;
    QList<Entry> m_cache; ///< most recently used first
};
