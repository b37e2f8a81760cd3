#include "PageTable.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {
// Until a unit was laid out: a page of a common reading area holds about this
// many characters.
constexpr double kDefaultCharactersPerPage = 1800.0;
// The weight of that default, in pages, against the pages counted so far.
constexpr double kPriorPages = 4.0;
} // namespace

void PageTable::reset(const QVector<int>& lengths)
{
    m_units.clear();
    m_units.resize(lengths.size());
    setLengths(lengths);
    clearCounts();
}

void PageTable::setLengths(const QVector<int>& lengths)
{
    if (lengths.size() != m_units.size()) {
        reset(lengths);
        return;
    }
    m_countedLength = 0;
    for (int i = 0; i < lengths.size(); ++i) {
        m_units[i].length = lengths.at(i);
        if (!m_units.at(i).starts.isEmpty())
            m_countedLength += lengths.at(i);
    }
    m_dirty = true;
}

void PageTable::clearCounts()
{
    for (Unit& u : m_units)
        u.starts.clear();
    m_counted = 0;
    m_countedLength = 0;
    m_countedPages = 0;
    m_dirty = true;
}

void PageTable::setCounted(int unit, const QVector<int>& starts)
{
    if (unit < 0 || unit >= m_units.size() || starts.isEmpty())
        return;
    Unit& u = m_units[unit];
    if (u.starts.isEmpty()) {
        ++m_counted;
        m_countedLength += u.length;
    } else {
        m_countedPages -= u.starts.size();
    }
    m_countedPages += starts.size();
    u.starts = starts;
    m_dirty = true;
}

bool PageTable::isCounted(int unit) const
{
    return unit >= 0 && unit < m_units.size() && !m_units.at(unit).starts.isEmpty();
}

double PageTable::charactersPerPage() const
{
    // The counted units' figure, pulled towards the default while few pages
    // are counted: a book opens on a cover or title page (a page for a
    // handful of characters), which alone would make the estimate for the
    // whole book a hundred times too large.
    const double pages = double(m_countedPages) + kPriorPages;
    const double characters = double(m_countedLength) + kPriorPages * kDefaultCharactersPerPage;
    return qMax(1.0, characters / pages);
}

int PageTable::pagesOf(int unit) const
{
    const Unit& u = m_units.at(unit);
    if (!u.starts.isEmpty())
        return u.starts.size();
    return qMax(1, int(std::lround(u.length / charactersPerPage())));
}

void PageTable::ensureSums() const
{
    if (!m_dirty)
        return;
    m_first.resize(m_units.size() + 1);
    int page = 1;
    for (int i = 0; i < m_units.size(); ++i) {
        m_first[i] = page;
        page += pagesOf(i);
    }
    m_first[m_units.size()] = page;
    m_dirty = false;
}

int PageTable::firstPage(int unit) const
{
    ensureSums();
    return m_first.value(qBound(0, unit, m_units.size()), 1);
}

int PageTable::pageCount() const
{
    if (m_units.isEmpty())
        return 0;
    ensureSums();
    return m_first.last() - 1;
}

PageTable::Place PageTable::locate(int page) const
{
    if (m_units.isEmpty())
        return {};
    ensureSums();
    page = qBound(1, page, pageCount());
    // The last unit whose first page is at or before `page`.
    const auto it = std::upper_bound(m_first.begin(), m_first.end() - 1, page);
    const int unit = qMax(0, int(it - m_first.begin()) - 1);
    return {unit, qMin(page - m_first.at(unit), pagesOf(unit) - 1)};
}

int PageTable::pageInUnit(int unit, int position) const
{
    const Unit& u = m_units.at(unit);
    if (!u.starts.isEmpty()) {
        const auto it = std::upper_bound(u.starts.begin(), u.starts.end(), position);
        return qMax(0, int(it - u.starts.begin()) - 1);
    }
    const int pages = pagesOf(unit);
    if (u.length <= 0)
        return 0;
    return qBound(0, int(qint64(position) * pages / u.length), pages - 1);
}

int PageTable::startOfPage(int unit, int page) const
{
    const Unit& u = m_units.at(unit);
    if (!u.starts.isEmpty())
        return u.starts.at(qBound(0, page, u.starts.size() - 1));
    const int pages = pagesOf(unit);
    return int(qint64(qBound(0, page, pages - 1)) * u.length / pages);
}

QString PageTable::toString() const
{
    QStringList units;
    units.reserve(m_units.size());
    for (const Unit& u : m_units) {
        QStringList starts;
        starts.reserve(u.starts.size());
        for (int s : u.starts)
            starts << QString::number(s);
        units << starts.join(QLatin1Char(','));
    }
    return units.join(QLatin1Char(';'));
}

bool PageTable::fromString(const QString& text)
{
    const QStringList units = text.split(QLatin1Char(';'));
    if (units.size() != m_units.size())
        return false;
    QVector<QVector<int>> all;
    all.reserve(units.size());
    for (const QString& unit : units) {
        QVector<int> starts;
        for (const QStringRef& s : unit.splitRef(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            starts << s.toInt(&ok);
            if (!ok)
                return false;
        }
        if (starts.isEmpty() || !std::is_sorted(starts.begin(), starts.end()))
            return false;
        all << starts;
    }
    clearCounts();
    for (int i = 0; i < all.size(); ++i)
        setCounted(i, all.at(i));
    return true;
}
