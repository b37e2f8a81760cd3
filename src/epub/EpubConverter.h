#pragma once

#include "BookText.h"
#include "IDocument.h"
#include "epub/EpubBook.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>

class BookResources;
class QTextCursor;
class TextDocument;

namespace epub {

/// Turns a parsed Book into the text of a document: one chapter per spine
/// content document, each an HTML body that starts on a page of its own,
/// with the book's style sheets and images as resources.
///
/// The chapters are the units the text engine lays out (bookText()); every
/// position handed out (table of contents, anchors) is a character position
/// of the chapters joined with chapterSeparator(), as one document holding
/// the whole book counts them. Chapter i is one element (a div standing for
/// the document's body, with its classes) whose id, chapters()[i].anchor, is
/// where it starts.
///
/// Style sheets are handed out filtered (XhtmlRewriter::filterCss()), without
/// the rules for classes and ids that no chapter carries.
///
/// Images are decoded when a document first shows one (within the shared
/// image limits); only the fitted copies the documents show are kept
/// (resources()), and the stored bytes.
///
/// The chapters are made from the book's decoded content documents
/// (Book::texts), which are not read afterwards: a caller may drop them once
/// convert() returned (a second convert() would then make no chapters).
///
/// convert() and the accessors: the thread that owns the converter.
/// resources() is safe on any thread.
class EpubConverter : public QObject
{
    Q_OBJECT
public:
    struct Chapter
    {
        QString path;   ///< archive path of the content document
        QString anchor; ///< the anchor the chapter starts with
        QString html;   ///< the chapter as given to the document
    };

    /// `book` must outlive the converter; `document` is not used any more
    /// (kept for callers) and may be null.
    EpubConverter(Book& book, TextDocument* document = nullptr, QObject* parent = nullptr);

    /// Builds the chapters (loadImages, loadSpine), logs the time and emits
    /// finished(). Returns the number of chapters.
    int convert();
    /// Style sheets come from resources(); nothing to do ahead.
    void loadCSS();
    /// Registers every image of the manifest in the image map (decoded on
    /// first use).
    void loadImages();
    /// Builds the chapters and the head (`cursor` is not used).
    void loadSpine(QTextCursor* cursor = nullptr);

    /// The chapters of the last conversion, in spine order.
    const QList<Chapter>& chapters() const { return m_chapters; }
    /// HTML put between two chapters.
    static QString chapterSeparator();
    /// The head of the joined text (style sheet links and embedded styles).
    const QString& head() const { return m_head; }
    /// The chapters as the text engine takes them.
    BookText bookText() const;
    /// The book's images and style sheets for the documents that lay the
    /// chapters out (shared; any thread).
    std::shared_ptr<BookResources> resources() const { return m_resources; }
    /// The anchor a link to `path` (and `fragment`) leads to; empty when the
    /// path is not a chapter.
    QString anchorFor(const QString& path, const QString& fragment = QString()) const;
    /// The table of contents with positions from `anchorPosition` (pages left 0).
    QList<TocPoint> toc(const std::function<int(const QString&)>& anchorPosition) const;

    /// The stored image under archive path `path` (exact, else without regard
    /// to case), decoded anew, scaled down to fit `maxSide` (0: as stored);
    /// null when unknown or refused.
    QImage image(const QString& path, int maxSide = 0) const;
    /// Its size without decoding it; (-1, -1) when unknown.
    QSize imageSize(const QString& path) const;

signals:
    void finished();

private:
    struct Store;
    QList<TocPoint> tocOf(const QList<NavPoint>& points,
                          const std::function<int(const QString&)>& anchorPosition) const;

    Book& m_book;
    QList<Chapter> m_chapters;
    QString m_head;
    QHash<QString, QString> m_anchors;  ///< chapter path -> anchor
    QHash<QString, QString> m_prefixes; ///< chapter path -> id prefix
    std::shared_ptr<Store> m_store;
    std::shared_ptr<BookResources> m_resources;
};

} // namespace epub
