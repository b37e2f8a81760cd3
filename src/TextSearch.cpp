#include "TextSearch.h"

#include "ChunkDocument.h"
#include "TextMap.h"

#include <QMutex>
#include <QMutexLocker>
#include <QRunnable>
#include <QStringMatcher>
#include <QThreadPool>

#include <atomic>

struct TextSearch::Job
{
    std::atomic<bool> cancelled{false};
    QMutex mutex;
    QVector<Paragraph> found;
    bool finished = false;
};

TextSearch::TextSearch(QObject* parent) : QObject(parent) {}

TextSearch::~TextSearch()
{
    cancel();
}

void TextSearch::start(const QString& query, MapSource source)
{
    cancel();
    auto job = std::make_shared<Job>();
    m_job = job;
    QThreadPool::globalInstance()->start(QRunnable::create([job, query, source] {
        const std::shared_ptr<const TextMap> map = job->cancelled ? nullptr : source();
        if (map) {
            find(
                *map, query, [&] { return job->cancelled.load(); },
                [&](Paragraph&& p) {
                    QMutexLocker lock(&job->mutex);
                    job->found.append(std::move(p));
                });
        }
        QMutexLocker lock(&job->mutex);
        job->finished = true;
    }));
}

void TextSearch::cancel()
{
    if (m_job)
        m_job->cancelled = true;
    m_job.reset();
}

QVector<TextSearch::Paragraph> TextSearch::take(bool* finished)
{
    QVector<Paragraph> out;
    if (!m_job) {
        *finished = true;
        return out;
    }
    QMutexLocker lock(&m_job->mutex);
    out.swap(m_job->found);
    *finished = m_job->finished;
    return out;
}

QString TextSearch::label(const QString& paragraph, const QString& query)
{
    QString plain = paragraph;
    plain.replace(QChar::LineSeparator, QLatin1Char(' '));
    plain.remove(QChar::ObjectReplacementCharacter);
    // The book's text is escaped first, then the hits are wrapped in <b>, so
    // "<" or "&" in the book show as written.
    QString out;
    int from = 0;
    for (int i = plain.indexOf(query, 0, Qt::CaseInsensitive); i >= 0;
         i = plain.indexOf(query, from, Qt::CaseInsensitive)) {
        out += plain.mid(from, i - from).toHtmlEscaped();
        out += QStringLiteral("<b>%1</b>").arg(query.toHtmlEscaped());
        from = i + query.size();
    }
    out += plain.mid(from).toHtmlEscaped();
    return out;
}

void TextSearch::find(const TextMap& map, const QString& query, const std::function<bool()>& cancelled,
                      const std::function<void(Paragraph&&)>& found)
{
    if (query.trimmed().isEmpty())
        return;
    const QString& text = map.text();
    const QStringMatcher matcher(query, Qt::CaseInsensitive);
    Paragraph current;
    int currentEnd = -1;
    const auto flush = [&] {
        if (current.hits.isEmpty())
            return;
        current.label = label(text.mid(current.start, currentEnd - current.start), query);
        found(std::move(current));
        current = Paragraph();
    };
    int checked = 0;
    for (int at = matcher.indexIn(text, 0); at >= 0; at = matcher.indexIn(text, at + query.size())) {
        if (at >= currentEnd) {
            flush();
            int start = at;
            while (start > 0 && !ChunkDocument::isParagraphEnd(text.at(start - 1)))
                --start;
            int end = at;
            while (end < text.size() && !ChunkDocument::isParagraphEnd(text.at(end)))
                ++end;
            current.start = start;
            currentEnd = end;
        }
        current.hits << at;
        if (++checked % 256 == 0 && cancelled())
            return;
    }
    flush();
}
