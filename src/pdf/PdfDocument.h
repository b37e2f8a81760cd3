#pragma once

#include "BookError.h"
#include "RenderedDocument.h"

#include <functional>
#include <memory>

namespace pdf {

class Document;

/// A PDF book shown as page images. Opens the file (asking for a password
/// through the prompt the viewer installs), renders a page or a two-page
/// spread at the size the view needs, reads the outline as the table of
/// contents, searches the words of the pages, and answers title, author,
/// further information and cover when a book is added.
///
/// Threads: load(), the setters and the IDocument operations belong to the
/// owner thread. The renders of RenderedDocument may run on worker threads
/// at the same time: every call into the PDF library is serialised by
/// pdf::Document. A document that failed to open has 0 pages and renders
/// null images.
class PdfDocument : public RenderedDocument
{
    Q_OBJECT
public:
    /// Asks the user for the password of a protected file. `wrongBefore` is
    /// true when the previous password was refused (the prompt says so first).
    /// Returns false when the user gives up.
    using PasswordPrompt = std::function<bool(bool wrongBefore, QString* password)>;

    explicit PdfDocument(QObject* parent = nullptr);
    ~PdfDocument() override;

    /// Without a prompt a protected file stays closed (the add-books worker).
    void setPasswordPrompt(PasswordPrompt prompt);
    void load(const QString& path) override;

    int pageCount() const override { return m_pageCount; }

    // --- IDocument ---
    QList<TocPoint> toc() const override;
    bool isLoaded() const override { return m_loaded; }
    QString errorString() const override { return BookError::text(m_error); }
    /// Why load() failed; None after success (and, for a PDF, while it
    /// waits for its password).
    BookError::Reason error() const { return m_error; }

    // --- for the add-books worker ---
    QString title() const;
    QString author() const;
    /// Document information by key: 1 author, 2 title, 3 subject,
    /// 4 keywords, 5 creator, 6 producer.
    QString information(int key) const;
    /// How often the outline was read from the file (it is read once).
    int outlineReads() const { return m_outlineReads; }

    static QString wrongPasswordTitle();
    static QString wrongPasswordText();

protected:
    QSize shownPoints(int page) const override;
    QImage renderPixels(int page, double scale, const QSize& pixels) const override;
    QStringList pageWords(int page) const override;

private:
    std::unique_ptr<Document> m_document;
    PasswordPrompt m_prompt;
    int m_pageCount = 0;
    bool m_loaded = false;
    BookError::Reason m_error = BookError::None;

    mutable QList<TocPoint> m_outlines;
    mutable bool m_outlinesRead = false;
    mutable int m_outlineReads = 0;
};

} // namespace pdf
