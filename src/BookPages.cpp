#include "BookPages.h"

#include "BookPlaces.h"
#include "LayoutWorker.h"
#include "PageCache.h"

#include <algorithm>

namespace {

// Units kept laid out on the GUI thread: the current one, its neighbours
// and a few the reader may come back to.
constexpr int kMaxLaid = 6;
// A new layout (resize, font) is counted only once it has settled.
constexpr int kCountDelayMs = 150;

} // namespace

BookPages::BookPages(const QTextDocument& style, const BookPlaces& places, LayoutWorker& worker)
    : m_style(style), m_places(places), m_worker(worker)
{
    connect(&m_worker, &LayoutWorker::unitsCounted, this, &BookPages::onUnitsCounted);
    connect(&m_worker, &LayoutWorker::countFinished, this, &BookPages::onCountFinished);
    m_countTimer.setSingleShot(true);
    connect(&m_countTimer, &QTimer::timeout, this, &BookPages::startCount);
}

BookPages::~BookPages() = default;

TextStyle BookPages::style() const
{
    TextStyle style;
    style.font = m_style.defaultFont();
    style.styleSheet = m_style.defaultStyleSheet();
    style.option = m_style.defaultTextOption();
    style.pageSize = m_style.pageSize();
    return style;
}

void BookPages::checkStyle()
{
    // Called on every question about pages: first the cheap test whether
    // anything was set since the last time.
    const QString sheet = m_style.defaultStyleSheet();
    if (sheet.constData() == m_checkedSheet.constData() && m_style.pageSize() == m_checkedPageSize &&
        m_style.defaultTextOption().alignment() == m_checkedAlignment &&
        m_style.defaultFont() == m_checkedFont && !m_styleKey.isEmpty())
        return;
    m_checkedSheet = sheet;
    m_checkedPageSize = m_style.pageSize();
    m_checkedAlignment = m_style.defaultTextOption().alignment();
    m_checkedFont = m_style.defaultFont();
    const QString key = style().key();
    if (key == m_styleKey)
        return;
    m_styleKey = key;
    m_laid.clear();
    m_table.clearCounts();
    m_worker.cancelCount();
    m_countGeneration = -1;
    const QString cached = PageCache(m_places.bookPath()).readPages(key);
    if (!cached.isEmpty() && !m_table.fromString(cached))
        m_table.clearCounts();
    if (!m_table.isExact())
        scheduleCount();
    m_countAtOnce = false;
    emit pagesChanged();
}

void BookPages::reset(const QVector<int>& lengths)
{
    m_table.reset(lengths);
    m_styleKey.clear();
}

void BookPages::clear()
{
    m_worker.cancelCount();
    m_countTimer.stop();
    m_laid.clear();
}

BookPages::Laid* BookPages::laidOut(int unit)
{
    checkStyle();
    if (unit < 0 || unit >= m_places.unitCount())
        return nullptr;
    for (auto it = m_laid.begin(); it != m_laid.end(); ++it) {
        if (it->unit == unit) {
            m_laid.splice(m_laid.begin(), m_laid, it);
            return &m_laid.front();
        }
    }
    Laid laid;
    laid.unit = unit;
    laid.id = ++m_lastLayoutId;
    laid.document.reset(new ChunkDocument(m_places.resources()));
    laid.document->build(m_places.units().at(unit).html(), style());
    const QVector<int> starts = laid.document->paginate();
    const bool changed = !m_table.isCounted(unit) || m_table.starts(unit) != starts;
    m_table.setCounted(unit, starts);
    m_laid.push_front(std::move(laid));
    while (int(m_laid.size()) > kMaxLaid)
        m_laid.pop_back();
    if (changed)
        emit pagesChanged();
    return &m_laid.front();
}

bool BookPages::isLaidOut(int unit) const
{
    return std::any_of(m_laid.begin(), m_laid.end(), [unit](const Laid& l) { return l.unit == unit; });
}

bool BookPages::layOutNeighbour(int unit)
{
    for (int neighbour : {unit + 1, unit - 1}) {
        if (neighbour < 0 || neighbour >= m_places.unitCount() || isLaidOut(neighbour))
            continue;
        laidOut(neighbour);
        laidOut(unit);
        return true;
    }
    return false;
}

bool BookPages::isCounting() const
{
    return m_worker.isCounting() || m_countTimer.isActive();
}

void BookPages::scheduleCount()
{
    if (m_places.isEmpty())
        return;
    m_countTimer.setInterval(m_countAtOnce ? 0 : kCountDelayMs);
    m_countAtOnce = false;
    m_countTimer.start();
}

void BookPages::startCount()
{
    checkStyle();
    if (m_places.isEmpty() || m_table.isExact())
        return;
    QVector<bool> skip(m_places.unitCount(), false);
    for (int u = 0; u < m_places.unitCount(); ++u)
        skip[u] = m_table.isCounted(u);
    m_countGeneration = m_worker.count(m_places.units(), style(), m_places.resources(), skip);
}

void BookPages::onUnitsCounted(int generation, int first, const QVector<QVector<int>>& starts)
{
    if (generation != m_countGeneration)
        return;
    for (int i = 0; i < starts.size(); ++i) {
        if (!starts.at(i).isEmpty() && !m_table.isCounted(first + i))
            m_table.setCounted(first + i, starts.at(i));
    }
    emit pagesChanged();
}

void BookPages::onCountFinished(int generation)
{
    if (generation != m_countGeneration)
        return;
    if (m_table.isExact())
        PageCache(m_places.bookPath()).writePages(m_styleKey, m_table.toString());
    emit pagesChanged();
}
