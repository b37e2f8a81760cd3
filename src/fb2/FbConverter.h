#pragma once

#include "IDocument.h"
#include "fb2/FbBook.h"

#include <functional>

class QDomElement;

namespace fb2 {

/// Turns FB2 elements and a parsed Book into the HTML given to the rich-text
/// engine, and builds the table of contents. Text from the book is
/// HTML-escaped. Stateless apart from the anchors it assigns; any thread.
class FbConverter
{
public:
    // --- element conversion (used by the parser while it walks the DOM) ---
    /// Text nodes escaped; emphasis, strong, strikethrough give <i>, <b>, <s>;
    /// style and unknown elements give their converted content; image gives
    /// <img src="id" />.
    static QString inlineText(const QDomElement& e);
    /// Title-like blocks (title, epigraph, cite, annotation): "<p>…</p>" per
    /// paragraph, "<br/>" per empty line (cite: "</br>").
    static QString paragraphs(const QDomElement& e, bool cite = false);
    /// A poem: its title, epigraphs and stanzas (verses joined by "<br/>").
    static QString poem(const QDomElement& e);
    static QString imageTag(const QString& id);
    /// A table: rows of "td"/"th" cells with inline content.
    static QString table(const QDomElement& e);

    // --- whole book ---
    /// The whole HTML text. Gives every body and section without an id a fresh
    /// anchor id (kept in `book`), so that every heading carries an anchor.
    static QString toHtml(Book& book);
    /// The same text in chunks, each a part of the body of toHtml() (joined
    /// they are its body): the cover page, then each top-level section of each
    /// body, the body's heading going with its first section.
    static QStringList toChunks(Book& book);
    /// The table of contents: one entry per body ("Partition N" when it has no
    /// title), nested sections as children. Positions come from
    /// `anchorPosition`; pages are left 0 for the document to fill.
    static QList<TocPoint> toc(const Book& book, const std::function<int(const QString&)>& anchorPosition);
    /// A title's HTML with <p>, </p>, <b>, </b>, <i>, </i>, <s>, </s> and <br/>
    /// removed (entities decoded, white space simplified).
    static QString stripTitle(const QString& html);
};

} // namespace fb2
