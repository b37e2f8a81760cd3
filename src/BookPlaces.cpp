#include "BookPlaces.h"

#include "ChunkDocument.h"
#include "LayoutWorker.h"
#include "PageCache.h"

#include <algorithm>

BookPlaces::BookPlaces(LayoutWorker& worker, std::function<void(const QVector<int>&)> lengthsChanged)
    : m_worker(worker), m_lengthsChanged(std::move(lengthsChanged))
{}

bool BookPlaces::setText(const BookText& text, int pieceSize, const TextStyle& style,
                         const std::shared_ptr<BookResources>& resources, const QString& bookPath)
{
    m_resources = resources;
    m_bookPath = bookPath;
    const bool same = m_kept && m_kept->text.chunks.isSharedWith(text.chunks) &&
                      m_kept->text.prefix == text.prefix && m_kept->text.suffix == text.suffix &&
                      m_kept->text.separator == text.separator && m_kept->text.joined == text.joined;
    m_text = text;
    if (same) {
        m_units = m_kept->units;
        m_map = m_kept->map;
        m_spans = m_kept->spans;
        m_characters = m_kept->characters;
        m_kept.reset();
        if (m_spans.isEmpty() && !m_worker.isMapping())
            m_worker.mapText(m_text, m_units, style, m_resources);
        return true;
    }
    m_kept.reset();
    m_units = text.units(pieceSize);
    m_map.reset();
    m_spans.clear();
    m_characters = 1;
    int characters = 0;
    m_spansCached = PageCache(bookPath).readSpans(m_units.size(), &m_spans, &characters);
    if (m_spansCached)
        m_characters = characters;
    m_worker.mapText(m_text, m_units, style, m_resources);
    return false;
}

void BookPlaces::clear()
{
    if (!m_text.isEmpty())
        m_kept.reset(new Kept{m_text, m_units, m_map, m_spans, m_characters});
    m_text = BookText();
    m_units.clear();
    m_map.reset();
    m_spans.clear();
    m_characters = 1;
}

void BookPlaces::forgetKept()
{
    m_kept.reset();
}

bool BookPlaces::takeMap()
{
    const std::shared_ptr<const TextMap> map = m_worker.map();
    if (!map)
        return false;
    if (m_text.isEmpty()) {
        // Cleared for a rebuild while the map was being built.
        if (m_kept && !m_kept->map) {
            m_kept->map = map;
            m_kept->spans = map->spans();
            m_kept->characters = map->characterCount();
        }
        return false;
    }
    const QVector<TextMap::Span> cached = m_spansCached ? m_spans : QVector<TextMap::Span>();
    adopt(map);
    const QVector<TextMap::Span>& spans = map->spans();
    const bool same = cached.size() == spans.size() &&
                      std::equal(cached.begin(), cached.end(), spans.begin(),
                                 [](const TextMap::Span& a, const TextMap::Span& b) {
                                     return a.start == b.start && a.lead == b.lead && a.length == b.length;
                                 });
    if (!same) {
        PageCache(m_bookPath).writeSpans(spans, map->characterCount());
        m_spansCached = true;
    }
    return true;
}

QVector<int> BookPlaces::lengths() const
{
    QVector<int> lengths;
    lengths.reserve(m_units.size());
    for (int i = 0; i < m_units.size(); ++i) {
        // Without spans: about half of HTML is text.
        lengths << (i < m_spans.size() ? m_spans.at(i).length : m_units.at(i).body.size() / 2);
    }
    return lengths;
}

void BookPlaces::adopt(const std::shared_ptr<const TextMap>& map) const
{
    if (!map || map == m_map)
        return;
    m_map = map;
    m_spans = map->spans();
    m_characters = map->characterCount();
    QVector<int> lengths;
    lengths.reserve(m_spans.size());
    for (const TextMap::Span& s : qAsConst(m_spans))
        lengths << s.length;
    m_lengthsChanged(lengths);
}

bool BookPlaces::ensureSpans(bool wait) const
{
    if (!m_spans.isEmpty() && (!wait || m_map))
        return true;
    if (m_text.isEmpty())
        return false;
    adopt(m_worker.map(wait));
    return !m_spans.isEmpty();
}

int BookPlaces::unitOf(int position) const
{
    return qMax(0, TextMap::unitOf(m_spans, position));
}

int BookPlaces::toUnit(int unit, int position) const
{
    return TextMap::toUnit(m_spans, unit, position);
}

int BookPlaces::toBook(int unit, int position) const
{
    return TextMap::toBook(m_spans, m_characters, unit, position);
}

QString BookPlaces::plainText() const
{
    if (m_text.isEmpty() || !ensureSpans(true) || !m_map)
        return QString();
    return m_map->plainText();
}

int BookPlaces::textLength() const
{
    if (m_text.isEmpty() || !ensureSpans(true))
        return 1;
    return m_characters;
}

int BookPlaces::positionOfAnchor(const QString& name) const
{
    if (name.isEmpty() || m_text.isEmpty() || !ensureSpans(true) || !m_map)
        return 0;
    return m_map->anchors().value(name, 0);
}

int BookPlaces::positionOfProgress(float progress) const
{
    if (!ensureSpans(true) || !m_map)
        return 0;
    // The start of the last paragraph is 100 %.
    const QString& text = m_map->text();
    int last = text.size();
    while (last > 0 && !ChunkDocument::isParagraphEnd(text.at(last - 1)))
        --last;
    return int(last / 100.0 * progress);
}

int BookPlaces::positionOfBlock(int blockNumber) const
{
    if (blockNumber < 0 || !ensureSpans(true) || !m_map)
        return -1;
    const QString& text = m_map->text();
    int block = 0;
    for (int i = 0; i < text.size() && block < blockNumber; ++i) {
        if (ChunkDocument::isParagraphEnd(text.at(i)) && ++block == blockNumber)
            return i + 1;
    }
    return blockNumber == 0 ? 0 : -1;
}
