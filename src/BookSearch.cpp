#include "BookSearch.h"

#include "TextDocument.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>

BookSearch::BookSearch(const TextDocument& document, QObject* parent)
    : QObject(parent), m_document(document), m_search(new TextSearch(this))
{
}

void BookSearch::reset()
{
    m_search->cancel();
    ++m_searchId;
    m_hits.clear();
    m_backlog.clear();
    m_query.clear();
    m_cleared = true;
}

bool BookSearch::clear()
{
    const bool had = !m_hits.isEmpty();
    reset();
    if (had)
        emit hitsChanged();
    return had;
}

bool BookSearch::pageJump(const QString& text, SearchResult& jump) const
{
    bool isNumber = false;
    const int number = text.toInt(&isNumber, 10);
    if (!isNumber || number < 1 || number > m_document.pageCount())
        return false;
    jump.position = m_document.calcPositionByPage(number);
    jump.text = QCoreApplication::translate("TextDocument", "Go to page %1").arg(number);
    jump.title = m_document.chapterTitle(jump.position);
    jump.page = number;
    jump.isPageJump = true;
    return true;
}

SearchResult BookSearch::result(TextSearch::Paragraph&& paragraph)
{
    SearchResult r;
    r.position = paragraph.start;
    r.text = std::move(paragraph.label);
    r.title = m_document.chapterTitle(paragraph.start);
    r.page = m_document.calcPageByPosition(paragraph.start);
    m_hits += paragraph.hits;
    return r;
}

QList<SearchResult> BookSearch::findAll(const QString& text, const TextMap* map)
{
    reset();
    QList<SearchResult> results;
    // White space alone would match every paragraph of the book.
    if (text.trimmed().isEmpty() || !m_document.hasText())
        return results;
    SearchResult jump;
    if (pageJump(text, jump))
        results << jump;
    if (map) {
        TextSearch::find(
            *map, text, [] { return false; }, [&](TextSearch::Paragraph&& p) { results << result(std::move(p)); });
    }
    m_hitLength = text.size();
    m_cleared = m_hits.isEmpty();
    std::stable_sort(results.begin(), results.end(), [](const SearchResult& a, const SearchResult& b) {
        if (a.isPageJump != b.isPageJump)
            return a.isPageJump;
        if (a.page != b.page)
            return a.page < b.page;
        return a.position < b.position;
    });
    emit hitsChanged();
    return results;
}

bool BookSearch::step(const QString& text, qint64& state, int budgetMs, QList<SearchResult>& results,
                      const TextSearch::MapSource& source)
{
    QElapsedTimer timer;
    timer.start();
    if (state == 0 || state != m_searchId || text != m_query) {
        // A new search: the old hits go, the page jump comes first.
        reset();
        state = m_searchId;
        if (text.trimmed().isEmpty() || !m_document.hasText())
            return false;
        m_query = text;
        m_hitLength = text.size();
        SearchResult jump;
        if (pageJump(text, jump))
            results << jump;
        m_search->start(text, source);
        return true;
    }
    bool finished = false;
    m_backlog += m_search->take(&finished);
    // Pages and titles take a little time each: as many as the budget allows.
    int taken = 0;
    while (taken < m_backlog.size() && (taken == 0 || timer.elapsed() < budgetMs))
        results << result(std::move(m_backlog[taken++]));
    if (taken > 0) {
        m_backlog.erase(m_backlog.begin(), m_backlog.begin() + taken);
        m_cleared = m_hits.isEmpty();
        emit hitsChanged();
    }
    return !finished || !m_backlog.isEmpty();
}
