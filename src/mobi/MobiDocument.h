#pragma once

#include "TextDocument.h"
#include "mobi/MobiConverter.h"
#include "mobi/MobiReader.h"

#include <QHash>
#include <QImage>

namespace mobi {

/// A Mobipocket (MOBI, PRC, AZW3) or PalmDOC book as a paginated text
/// document.
///
/// The constructor opens the file through MobiReader (headers only); load()
/// decodes the text, converts it (MobiConverter) into HTML chapters, builds
/// the rich text from them and the table of contents. The chapters are kept,
/// so rebuild() (after a style change) does not decode again. A book that
/// cannot be opened stays empty (page count 0) and errorString() says why; a
/// protected book says "This book is protected and cannot be opened."
///
/// The text is the chapters joined, each starting on a new page (the text
/// engine lays them out one by one). Every chapter is parsed on its own, so a
/// chapter holds the same characters whether it is laid out alone or in the
/// whole book: the first position of chapter n is the sum of the character
/// counts of chapters 0 to n - 1 (each set alone with setHtml() and the same
/// default style sheet).
///
/// Images are handed to the documents that lay the text out (and to
/// loadResource()) from "pdbrec:/N" names (image N of the book), scaled to
/// fit 350 × 350 pixels, by shared resources that read them through a reader
/// of their own. Nothing else is ever read from disk for a resource.
///
/// Loading in stages (TextDocument::setLoadsInStages()), a large book shows
/// its opening chapters (MobiReader::openingContent()) while the whole text
/// is decoded and converted on the thread pool; chapters() are the opening's
/// until then.
///
/// GUI thread only, like TextDocument. For metadata and covers without
/// building a document, use MobiReader, which may run on a worker thread.
class MobiDocument : public TextDocument
{
    Q_OBJECT
public:
    explicit MobiDocument(const QString& path, QObject* parent = nullptr);

    void load() override;
    void rebuild() override;
    /// Entries with their pages refreshed, top level sorted by page.
    QList<TocPoint> toc() const override;
    /// Title of the deepest entry whose range holds `position` (the first
    /// entry before it).
    QString chapterTitle(int position) const override;
    /// The size an image is shown at, by its "pdbrec:/N" name (or N alone).
    QSize imageSize(const QString& name) const override;

    QString path() const { return m_path; }
    const MobiReader& reader() const { return m_reader; }
    /// The converted text, one HTML text per chapter (split at the page
    /// breaks and, in KF8 books, at the book's files). Empty before load().
    QStringList chapters() const { return m_converter.chapters(); }

protected:
    QList<TocPoint> buildToc() const override;
    /// Image resources (type 2) named "pdbrec:/N"; anything else gives an
    /// empty variant.
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void build();
    /// Shows the opening of a large book and converts the rest in the
    /// background; false when the book has no opening to show first.
    bool loadOpening();
    /// Why the book cannot be shown, in words for the user (empty: it can).
    QString failure(const MobiReader& reader, const MobiConverter& converter) const;
    static std::shared_ptr<BookResources> resourcesOf(const QString& path);
    static BookText textOf(const QStringList& chapters);
    QList<TocPoint> tocFrom(const QList<MobiConverter::TocItem>& items) const;
    static int imageNumber(const QString& name);

    QString m_path;
    MobiReader m_reader;
    bool m_opened = false;
    MobiConverter m_converter;
    std::shared_ptr<BookResources> m_resources;
    bool m_openingOnly = false; ///< the chapters are the opening of a book loading in stages
    double m_share = 1.0;       ///< the part of the text the opening makes
    /// Table-of-contents entries by position, for chapterTitle().
    mutable QList<QPair<int, QString>> m_flatToc;
};

} // namespace mobi
