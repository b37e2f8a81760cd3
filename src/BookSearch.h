#pragma once

#include "IDocument.h"
#include "TextSearch.h"

#include <QObject>
#include <QString>
#include <QVector>

class TextDocument;
class TextMap;

/// The reader's search through a reflowable book: runs TextSearch over the
/// book's text, turns the paragraphs found into results (page, chapter title,
/// a page jump first when the query is a page number) and keeps the hits,
/// which the document draws as highlights.
///
/// Asks the document only through its public places API (pages, positions,
/// chapter titles). GUI thread only.
class BookSearch : public QObject
{
    Q_OBJECT
public:
    explicit BookSearch(const TextDocument& document, QObject* parent = nullptr);

    /// The whole search at once over `map` (waited for by the caller); null
    /// map: only the page jump.
    QList<SearchResult> findAll(const QString& text, const TextMap* map);
    /// One step of a search running on a worker: a new `text` (or `state` 0)
    /// starts it, later calls hand out what was found, as many results as
    /// `budgetMs` allows. False once everything was handed out.
    bool step(const QString& text, qint64& state, int budgetMs, QList<SearchResult>& results,
              const TextSearch::MapSource& source);
    /// Stops a running search and forgets the hits; true when there were
    /// hits (highlights changed).
    bool clear();

    /// Sorted book positions of the hits handed out so far.
    const QVector<int>& hits() const { return m_hits; }
    /// Characters every hit covers.
    int hitLength() const { return m_hitLength; }
    /// True when no search has hits (or runs).
    bool isCleared() const { return m_cleared; }

signals:
    /// Hits came or went: highlights changed.
    void hitsChanged();

private:
    void reset();
    /// The "Go to page N" result when `text` is a page number of the book.
    bool pageJump(const QString& text, SearchResult& jump) const;
    SearchResult result(TextSearch::Paragraph&& paragraph);

    const TextDocument& m_document;
    TextSearch* m_search;
    qint64 m_searchId = 0;
    QString m_query;
    QVector<TextSearch::Paragraph> m_backlog; ///< found, not yet handed out
    QVector<int> m_hits;
    int m_hitLength = 0;
    bool m_cleared = true;
};
