#pragma once

#include "TextDocument.h"
#include "fb2/FbBook.h"

namespace fb2 {

class FbParser;

/// A FictionBook 2 book as a paginated text document.
///
/// load() parses the file (FbParser, full mode) and converts it
/// (FbConverter); a file that cannot be parsed leaves the document empty (page
/// count 0) and the reason in the log. rebuild() converts again from the parsed
/// book (after a style change) without reading the file.
///
/// Loading in stages (TextDocument::setLoadsInStages()), a large book shows
/// its first top-level sections (FbParser::parseOpening()) while the whole
/// book is parsed and converted on the thread pool; book() is the opening's
/// until then.
///
/// The text engine lays the book out section by section (the cover, then
/// each top-level section of each body, the body's heading with its first
/// section). Images are handed to the documents that lay it out by shared
/// resources (also loadResource()): scaled to fit 350 × 350 pixels when
/// larger. Nothing is ever read from disk for a resource.
///
/// GUI thread only, like TextDocument. For metadata (title, authors, cover)
/// without building a document, use FbParser in metadata-only mode, which may
/// run on a worker thread.
class FbDocument : public TextDocument
{
    Q_OBJECT
public:
    explicit FbDocument(const QString& path, QObject* parent = nullptr);

    void load() override;
    void rebuild() override;
    QList<TocPoint> toc() const override;
    /// Title of the body (top-level entry) whose range holds `position`.
    QString chapterTitle(int position) const override;
    QSize imageSize(const QString& name) const override;

    QString path() const { return m_path; }
    /// The parsed book (empty before load() and after a failed load).
    const Book& book() const { return m_book; }
    /// Whether the last load() parsed the file.
    bool parsed() const { return m_parsed; }

protected:
    QList<TocPoint> buildToc() const override;
    /// Image resources (type 2) from the book's images by id, scaled to fit
    /// 350 × 350 with fast scaling; anything else gives an empty variant.
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void convert();
    /// Shows the book's opening and parses the whole book in the
    /// background; false when the file cannot be cut (load it whole).
    bool loadOpening();
    /// Why the last parse gave no book, for the user; empty when it gave
    /// one. Also clears parsed() for a book without a body.
    QString failure(const FbParser& parser);
    static BookText textOf(const QStringList& chunks);
    static std::shared_ptr<BookResources> resourcesOf(const Book& book);

    QString m_path;
    Book m_book;
    bool m_parsed = false;
    BookText m_text;
    std::shared_ptr<BookResources> m_resources;
    bool m_openingOnly = false; ///< m_book is the opening of a book loading in stages
    double m_share = 1.0;       ///< the part of the book the opening makes
};

} // namespace fb2
