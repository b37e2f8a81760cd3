#pragma once

#include "BookError.h"
#include "RenderedDocument.h"

#include <memory>

namespace djvu {

class Document;

/// A DjVu book shown as page images: a bundled file, or the index file of an
/// indirect one (a page whose file is missing stays empty, the others show).
/// Renders a page or a two-page spread at the size the view needs, colour
/// and black-and-white pages alike, reads the outline as the table of
/// contents, searches the hidden text layer where the book has one, and
/// answers title, author and cover when a book is added.
///
/// Threads: load(), the setters and the IDocument operations belong to the
/// owner thread. The renders of RenderedDocument may run on worker threads
/// at the same time: djvu::Document serialises the calls into DjVuLibre.
/// A document that failed to open has 0 pages and renders null images.
class DjvuDocument : public RenderedDocument
{
    Q_OBJECT
public:
    explicit DjvuDocument(QObject* parent = nullptr);
    ~DjvuDocument() override;

    void load(const QString& path) override;
    int pageCount() const override { return m_pageCount; }

    // --- IDocument ---
    QList<TocPoint> toc() const override;
    bool isLoaded() const override { return m_pageCount > 0; }
    QString errorString() const override { return BookError::text(m_error); }
    /// Why load() failed; None after success (and, for a PDF, while it
    /// waits for its password).
    BookError::Reason error() const { return m_error; }

    // --- for the add-books worker ---
    /// The title from the metadata; empty when the book has none.
    QString title() const;
    /// The author from the metadata; empty when the book has none.
    QString author() const;

protected:
    QSize shownPoints(int page) const override;
    QImage renderPixels(int page, double scale, const QSize& pixels) const override;
    QStringList pageWords(int page) const override;

private:
    std::unique_ptr<Document> m_document;
    int m_pageCount = 0;
    BookError::Reason m_error = BookError::None;

    mutable QList<TocPoint> m_outlines;
    mutable bool m_outlinesRead = false;
};

} // namespace djvu
