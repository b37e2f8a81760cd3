#pragma once

#include "BookText.h"
#include "ChunkDocument.h"

#include <QHash>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class BookResources;

/// Where the text of every unit lies in the book's text: the characters
/// positions count, the anchors, and for each unit its first position.
///
/// A unit laid out alone may hold a paragraph end more or less at its edges
/// than the same markup inside the whole book (the HTML import merges empty
/// paragraphs across what were chunk boundaries), so units are placed by
/// finding their text in the book's text, never by adding up lengths.
///
/// Built once per book text on a worker thread (build()), then read-only and
/// shared (any thread).
class TextMap
{
public:
    struct Span
    {
        int start = 0;  ///< the book position of the unit's first own character
        int lead = 0;   ///< characters at the start of the unit that the book does not have
        int length = 0; ///< the unit's own text length (positions 0..length are its own)
    };

    /// Builds the map; returns null when `cancelled` answered true on the way.
    /// Any thread.
    static std::shared_ptr<const TextMap> build(const BookText& text, const QVector<BookText::Unit>& units,
                                                const TextStyle& style,
                                                const std::shared_ptr<BookResources>& resources,
                                                const std::function<bool()>& cancelled);

    /// The book's raw text (ChunkDocument::rawText()): paragraph ends are
    /// paragraph separators or frame marks, non-breaking spaces are spaces.
    const QString& text() const { return m_text; }
    /// QTextDocument::characterCount() of the whole text: text size + 1.
    int characterCount() const { return m_text.size() + 1; }
    const QHash<QString, int>& anchors() const { return m_anchors; }
    int unitCount() const { return m_spans.size(); }
    const Span& span(int unit) const { return m_spans.at(unit); }
    /// Units that could not be placed exactly (logged); 0 for sound books.
    int misplacedUnits() const { return m_misplaced; }

    const QVector<Span>& spans() const { return m_spans; }

    // Conversions over a list of spans and the book's character count.
    /// The unit that holds book position `position`; -1 without units.
    static int unitOf(const QVector<Span>& spans, int position);
    /// Book position -> position in the unit's own document.
    static int toUnit(const QVector<Span>& spans, int unit, int position);
    /// Position in the unit's own document -> book position.
    static int toBook(const QVector<Span>& spans, int characters, int unit, int position);

    /// The text as QTextDocument::toPlainText() gives it for the whole book.
    QString plainText() const;

private:
    void place(int unit, const QString& unitText);

    QString m_text;
    QHash<QString, int> m_anchors;
    QVector<Span> m_spans;
    int m_placed = 0; ///< book position where the next unit's text is looked for
    int m_misplaced = 0;
};
