#include "PageTextCache.h"

#include <QDeadlineTimer>
#include <QMutexLocker>
#include <QtConcurrent>

PageTextCache::PageTextCache(WordsOfPage words, int pageCount)
    : m_words(std::move(words)), m_texts(qMax(0, pageCount)), m_ready(qMax(0, pageCount), false)
{}

PageTextCache::~PageTextCache()
{
    m_stop = true;
    m_future.waitForFinished();
}

void PageTextCache::start()
{
    QMutexLocker lock(&m_mutex);
    if (m_started || m_texts.isEmpty())
        return;
    m_started = true;
    m_future = QtConcurrent::run([this] { run(); });
}

bool PageTextCache::text(int page, QString* out) const
{
    QMutexLocker lock(&m_mutex);
    if (page < 1 || page > m_texts.size())
        return false;
    if (!m_ready[page - 1])
        return false;
    *out = m_texts[page - 1];
    return true;
}

bool PageTextCache::waitForText(int page, int timeoutMs, QString* out) const
{
    QDeadlineTimer deadline(qMax(0, timeoutMs));
    QMutexLocker lock(&m_mutex);
    if (page < 1 || page > m_texts.size())
        return false;
    while (!m_ready[page - 1]) {
        if (!m_started || !m_extracted.wait(&m_mutex, deadline))
            return false;
    }
    *out = m_texts[page - 1];
    return true;
}

QString PageTextCache::textNow(int page)
{
    QString result;
    if (text(page, &result) || page < 1 || page > m_texts.size())
        return result;
    return extract(page);
}

QString PageTextCache::extract(int page)
{
    const QString joined = m_words(page).join(QLatin1Char('\n'));
    QMutexLocker lock(&m_mutex);
    m_texts[page - 1] = joined;
    m_ready[page - 1] = true;
    m_extracted.wakeAll();
    return joined;
}

void PageTextCache::run()
{
    const int count = m_texts.size();
    for (int page = 1; page <= count && !m_stop; ++page) {
        {
            QMutexLocker lock(&m_mutex);
            if (m_ready[page - 1])
                continue;
        }
        extract(page);
    }
}
