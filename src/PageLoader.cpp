#include "PageLoader.h"

#include <QtConcurrent>

PageLoader::PageLoader(QObject* parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<Picture>::finished, this, &PageLoader::onFinished);
}

PageLoader::~PageLoader()
{
    m_watcher.disconnect(this);
    m_watcher.waitForFinished();
}

void PageLoader::setProducer(Producer producer)
{
    m_producer = std::move(producer);
    ++m_generation;
    m_cache.clear();
}

void PageLoader::clear()
{
    ++m_generation;
    m_cache.clear();
}

bool PageLoader::isCached(int page) const
{
    return find(page) != nullptr;
}

const PageLoader::Entry* PageLoader::find(int page) const
{
    for (const Entry& entry : m_cache)
        if (entry.page == page)
            return &entry;
    return nullptr;
}

void PageLoader::store(int page, const Picture& picture)
{
    for (int i = 0; i < m_cache.size(); ++i) {
        if (m_cache[i].page == page) {
            m_cache.removeAt(i);
            break;
        }
    }
    m_cache.prepend(Entry{page, picture});
    while (m_cache.size() > CacheSize)
        m_cache.removeLast();
}

void PageLoader::request(int page, const QList<int>& ahead)
{
    m_ahead = ahead;
    if (const Entry* entry = find(page)) {
        const Picture picture = entry->picture;
        store(page, picture); // most recently used
        const bool wasLoading = m_wanted > 0;
        m_wanted = 0;
        if (wasLoading)
            emit loadingCanceled();
        emit pageReady(page, picture);
        schedule();
        return;
    }
    const bool wasLoading = m_wanted > 0;
    m_wanted = page;
    if (!wasLoading)
        emit loadingStarted();
    schedule();
}

void PageLoader::cancelAndWait()
{
    const bool wasLoading = m_wanted > 0;
    m_wanted = 0;
    m_ahead.clear();
    m_watcher.cancel();
    m_watcher.waitForFinished();
    if (wasLoading)
        emit loadingCanceled();
}

void PageLoader::schedule()
{
    if (m_watcher.isRunning() || !m_producer)
        return;
    if (m_wanted > 0) {
        // The job that just ended may have been the wanted page's.
        if (const Entry* entry = find(m_wanted)) {
            const int page = m_wanted;
            const Picture picture = entry->picture;
            m_wanted = 0;
            emit pageReady(page, picture);
        } else {
            start(m_wanted);
            return;
        }
    }
    while (!m_ahead.isEmpty()) {
        const int page = m_ahead.takeFirst();
        if (!find(page)) {
            start(page);
            return;
        }
    }
}

void PageLoader::start(int page)
{
    m_runningPage = page;
    m_runningGeneration = m_generation;
    const Producer producer = m_producer;
    m_watcher.setFuture(QtConcurrent::run([producer, page] { return producer(page); }));
}

void PageLoader::onFinished()
{
    const QFuture<Picture> future = m_watcher.future();
    if (!future.isCanceled() && future.resultCount() > 0 && m_runningGeneration == m_generation)
        store(m_runningPage, future.result());
    m_runningPage = 0;
    schedule();
}
