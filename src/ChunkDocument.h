#pragma once

#include <QFont>
#include <QHash>
#include <QSizeF>
#include <QTextDocument>
#include <QTextOption>
#include <QVector>

#include <memory>

class BookResources;
struct BookText;

/// What a page of text looks like: the body font, the style sheet, the
/// paragraph options and the size of the text area of one page. Two styles
/// with the same key lay a text out alike. A value type; any thread.
struct TextStyle
{
    QFont font;
    QString styleSheet;
    QTextOption option;
    QSizeF pageSize; ///< empty: not paginated (text only, no layout)

    /// Identifies the layout: font, style sheet, alignment and page size.
    QString key() const;
};

/// One unit of a book's text as a rich-text document of its own: built from
/// its HTML with a style, laid out into pages, images and style sheets taken
/// from the book's shared resources.
///
/// Threads: a ChunkDocument belongs to the thread that made it; it may be
/// made and laid out on a worker thread (the engine checks that the platform
/// renders fonts off the GUI thread) and is never handed to another thread.
class ChunkDocument : public QTextDocument
{
    Q_OBJECT
public:
    explicit ChunkDocument(std::shared_ptr<BookResources> resources, QObject* parent = nullptr);

    /// Sets the style (page size included) and the text.
    void build(const QString& html, const TextStyle& style);
    /// Lays the text out completely and gives the first position of every
    /// page: page k (0-based) holds the positions from starts[k] up to
    /// starts[k + 1]. A page on which no line starts (a blank page after a
    /// page break) starts where the next one does; blank pages at the end
    /// are not pages. At least one page.
    QVector<int> paginate();

    /// The text as positions count it: QTextDocument::toRawText() with
    /// non-breaking spaces as plain spaces (one character each, so positions
    /// stay).
    static QString rawText(const QTextDocument& document);
    /// Adds the anchors of `document` at `offset` to `anchors`, name ->
    /// position, in reading order and keeping the first position of a name:
    /// a paragraph's own anchor names give the paragraph's start, then the
    /// anchors of its text fragments their start.
    static void collectAnchors(const QTextDocument& document, int offset, QHash<QString, int>& anchors);
    /// Paragraph boundaries in rawText(): paragraph separators and the
    /// beginning and end of frames (tables).
    static bool isParagraphEnd(QChar c);
    /// The whole book `text` as one document with `style` (the engine before
    /// the units had it): the joined HTML, or for a `joined` text every chunk
    /// imported alone and appended on a new page.
    static std::unique_ptr<QTextDocument> wholeBook(const BookText& text,
                                                    const std::shared_ptr<BookResources>& resources,
                                                    const TextStyle& style);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    std::shared_ptr<BookResources> m_resources;
};
