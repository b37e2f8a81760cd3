#pragma once

#include "BookText.h"
#include "TextMap.h"

#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class BookResources;
class LayoutWorker;
struct TextStyle;

/// Where the places of a reflowable book lie: the text the format handed over
/// (with its resources and the book's path, which names the cache folder),
/// split into the units it is laid out in, and where each unit's text lies in
/// the whole book's text. Converts book positions, which never depend on a
/// layout, into positions in a unit's own document and back.
///
/// The worker (LayoutWorker) builds the TextMap in the background; until it
/// arrives, the units' spans remembered in the book's cache folder answer for
/// it, and a question that needs the map itself (the plain text, anchors,
/// paragraphs) waits for it. A text cleared for a rebuild is kept aside: the
/// same text handed over again keeps its units and map, as places do not
/// depend on the style.
///
/// GUI thread (the worker's map arrives there).
class BookPlaces
{
public:
    /// `lengthsChanged` gets the units' text lengths whenever a new map is
    /// taken (the page estimates follow them).
    BookPlaces(LayoutWorker& worker, std::function<void(const QVector<int>&)> lengthsChanged);

    /// A text to place, split into units of about `pieceSize` characters of
    /// HTML; the spans cached for `bookPath` (may be empty: no cache) answer
    /// until the worker, started here, has mapped it under `style`. Returns
    /// true when it is the text cleared last: its units and map are kept.
    bool setText(const BookText& text, int pieceSize, const TextStyle& style,
                 const std::shared_ptr<BookResources>& resources, const QString& bookPath);
    /// Forgets the text, keeping it aside for a setText() of the same text.
    void clear();
    /// Forgets the text kept aside.
    void forgetKept();
    /// Takes the map the worker finished. True when it is the current text's
    /// (and the cache holds its spans now); false when there is none, or it
    /// went to the text kept aside.
    bool takeMap();

    bool isEmpty() const { return m_text.isEmpty(); }
    const BookText& text() const { return m_text; }
    const std::shared_ptr<BookResources>& resources() const { return m_resources; }
    const QString& bookPath() const { return m_bookPath; }
    const QVector<BookText::Unit>& units() const { return m_units; }
    int unitCount() const { return m_units.size(); }
    /// The units' text lengths: from the spans where they are known, else
    /// estimated from the HTML.
    QVector<int> lengths() const;

    /// Whether the worker's map of the text was taken.
    bool isMapped() const { return m_map != nullptr; }
    /// The map; null until it was taken (ensureSpans(true) waits for it).
    const TextMap* map() const { return m_map.get(); }
    /// True when the units are placed: by the map, or (without `wait`) by
    /// the cached spans. With `wait`, blocks until the map is built. False
    /// without a text.
    bool ensureSpans(bool wait) const;
    /// QTextDocument::characterCount() of the whole text once it is placed;
    /// 1 before.
    int characterCount() const { return m_characters; }
    /// Where `unit` lies; the units must be placed.
    const TextMap::Span& span(int unit) const { return m_spans.at(unit); }

    // Conversions; the units must be placed.
    /// The unit that holds book position `position`.
    int unitOf(int position) const;
    /// Book position -> position in the unit's own document.
    int toUnit(int unit, int position) const;
    /// Position in the unit's own document -> book position.
    int toBook(int unit, int position) const;

    // Questions to the map; they wait for it.
    /// The whole book's text as QTextDocument::toPlainText() gives it; empty
    /// without a text.
    QString plainText() const;
    /// QTextDocument::characterCount() of that text; 1 without a text.
    int textLength() const;
    /// The position of the anchor `name`; 0 for an empty name or none.
    int positionOfAnchor(const QString& name) const;
    /// `progress` percent of the way to the start of the last paragraph; 0
    /// without a text.
    int positionOfProgress(float progress) const;
    /// The start of paragraph `blockNumber` (0-based); -1 when there is no
    /// such paragraph.
    int positionOfBlock(int blockNumber) const;

private:
    struct Kept
    {
        BookText text;
        QVector<BookText::Unit> units;
        std::shared_ptr<const TextMap> map;
        QVector<TextMap::Span> spans;
        int characters = 0;
    };

    void adopt(const std::shared_ptr<const TextMap>& map) const;

    LayoutWorker& m_worker;
    std::function<void(const QVector<int>&)> m_lengthsChanged;
    BookText m_text;
    QVector<BookText::Unit> m_units;
    std::shared_ptr<BookResources> m_resources;
    QString m_bookPath;
    mutable std::shared_ptr<const TextMap> m_map;
    mutable QVector<TextMap::Span> m_spans; ///< from the map or the cache
    mutable int m_characters = 1;
    bool m_spansCached = false; ///< m_spans are what the cache holds
    std::unique_ptr<Kept> m_kept;
};
