#pragma once

#include "TextDocument.h"
#include "epub/EpubBook.h"

#include <memory>

namespace epub {

class EpubConverter;
class EpubParser;

/// An EPUB book as a paginated text document.
///
/// load() parses the file (EpubParser, full mode: everything is read from the
/// archive into memory, nothing is unpacked) and converts it (EpubConverter).
/// A book that cannot be opened leaves the document empty (page count 0), the
/// reason in the log and a short translated reason in errorString().
/// rebuild() hands the converted chapters over again (after a style change)
/// without reading the file.
///
/// Loading in stages (TextDocument::setLoadsInStages()), a large book shows
/// the first documents of its spine (EpubParser::setOpening()) while the
/// whole book is parsed and converted on the thread pool; book() and
/// converter() are the opening's until then.
///
/// The text engine lays the book out chapter by chapter (one unit per spine
/// item, oversized ones split). Images are handed to the documents that lay
/// it out by the converter's shared resources (also loadResource()): scaled
/// to fit 350 × 350 pixels when larger. Nothing is ever read from disk for a
/// resource.
///
/// GUI thread only, like TextDocument. For metadata (title, authors, cover)
/// without building a document, use EpubParser in metadata-only mode, which
/// may run on a worker thread.
class EpubDocument : public TextDocument
{
    Q_OBJECT
public:
    explicit EpubDocument(const QString& path, QObject* parent = nullptr);
    ~EpubDocument() override;

    void load() override;
    void rebuild() override;
    /// Title of the top-level table-of-contents entry whose range holds
    /// `position`: from its position up to the next entry's; the last entry
    /// from its position on; before the first entry, the first.
    QString chapterTitle(int position) const override;
    QSize imageSize(const QString& name) const override;

    QString path() const { return m_path; }
    /// The parsed book (empty before load() and after a failed load),
    /// without its content documents (Book::texts) once they are converted.
    const Book& book() const { return *m_book; }
    /// Whether the last load() parsed the file.
    bool parsed() const { return m_parsed; }
    /// The converter of the last load(): the chapters one by one. Null
    /// before load().
    const EpubConverter* converter() const { return m_converter.get(); }

protected:
    QList<TocPoint> buildToc() const override;
    /// Image resources (type 2) from the book's images by archive path,
    /// scaled to fit 350 × 350 with fast scaling; style sheets from the book;
    /// anything else gives an empty variant.
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void convert();
    /// The reason a parse failed, for the user.
    QString failure(const EpubParser& parser) const;
    /// Parses and converts the whole book in the background, the opening
    /// being on screen.
    void loadTheRest();

    QString m_path;
    /// Shared with the converter, which reads its images and contents.
    std::shared_ptr<Book> m_book = std::make_shared<Book>();
    bool m_parsed = false;
    std::shared_ptr<EpubConverter> m_converter;
    BookText m_text;
    bool m_openingOnly = false; ///< the book is the opening of one loading in stages
    double m_share = 1.0;       ///< the part of the spine the opening makes
};

} // namespace epub
