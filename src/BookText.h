#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

/// The text of a reflowable book as a format back-end hands it to the text
/// engine: HTML in chunks, each starting on a page of its own (an EPUB spine
/// item, an FB2 top-level section, a MOBI stretch between page breaks).
///
/// Places in a book are character positions of the whole book's text, which
/// is either
/// - the text of wholeHtml() (the chunks' bodies joined by `separator`
///   between `prefix` and `suffix`), as one rich-text document would hold it,
///   or, with `joined` set,
/// - the texts of the chunks, each imported on its own, one after the other
///   (a book that was always built chapter by chapter).
///
/// The engine lays out units: chunks, with an oversized chunk split into
/// pieces at its top-level blocks (units()). A value type; any thread.
struct BookText
{
    /// Before every chunk's body: "<html><head>…</head><body>".
    QString prefix;
    /// After every chunk's body: "</body></html>".
    QString suffix;
    /// Between two bodies in the whole text (not in the chunks).
    QString separator;
    /// The bodies, in reading order.
    QStringList chunks;
    /// True: the book's text is the chunks' texts one after the other.
    bool joined = false;

    bool isEmpty() const { return chunks.isEmpty(); }
    /// The chunk as one HTML document.
    QString chunkHtml(int index) const;
    /// The whole book as one HTML document.
    QString wholeHtml() const;

    /// One piece of the book that is laid out on its own.
    struct Unit
    {
        int chunk = 0;
        QString prefix; ///< shared with the book text
        QString body;   ///< the chunk's body itself when it was not split
        QString suffix;
        /// The unit as a whole HTML document.
        QString html() const { return prefix + body + suffix; }
    };
    /// The chunks, each split into pieces of about `pieceSize` characters of
    /// HTML at most when it is larger (splitBody()).
    QVector<Unit> units(int pieceSize) const;

    /// Splits an HTML body at the boundaries of its top-level block elements
    /// into pieces of at most `pieceSize` characters (a larger block goes
    /// with what comes before it when that is less than a quarter of the
    /// size, else on its own); a body that is a single
    /// element (a chapter's wrapping div) is split inside it, each piece
    /// wrapped in a copy of the element (the first keeps its id). A body with
    /// a <body> element is split inside that. Joined, the pieces hold the same
    /// text as the body; a body without block boundaries stays whole.
    static QStringList splitBody(const QString& body, int pieceSize);
};
