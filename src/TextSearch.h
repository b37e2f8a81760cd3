#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class TextMap;

/// Finds a query in a book's plain text (TextMap::text()): case-insensitive,
/// one result per paragraph, in reading order. A search runs on a worker
/// thread and its results are taken as they come (take()); find() does the
/// same work at once on the calling thread.
///
/// GUI thread for the object; the search itself runs on the global thread
/// pool and holds the map by shared pointer, so the object may go at any time.
class TextSearch : public QObject
{
    Q_OBJECT
public:
    struct Paragraph
    {
        int start = 0;     ///< book position of the paragraph
        QString label;     ///< its text, HTML-escaped, hits in <b>…</b>
        QVector<int> hits; ///< book positions of the hits in it
    };
    /// Gives the book's map; may block until it is built (called on the worker).
    using MapSource = std::function<std::shared_ptr<const TextMap>()>;

    explicit TextSearch(QObject* parent = nullptr);
    ~TextSearch() override;

    /// Starts a search (cancelling the running one).
    void start(const QString& query, MapSource source);
    void cancel();
    /// The paragraphs found since the last call; `finished` becomes true once
    /// nothing more will come.
    QVector<Paragraph> take(bool* finished);

    /// The whole search at once; `cancelled` is asked now and then.
    static void find(const TextMap& map, const QString& query, const std::function<bool()>& cancelled,
                     const std::function<void(Paragraph&&)>& found);
    /// The paragraph's text as a result shows it: line breaks as spaces,
    /// images left out, escaped, every hit of `query` in <b>, written as the
    /// query was typed.
    static QString label(const QString& paragraph, const QString& query);

private:
    struct Job;
    std::shared_ptr<Job> m_job;
};
