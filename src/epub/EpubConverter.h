#pragma once

#include "IDocument.h"
#include "epub/EpubBook.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QStringList>

class QTextCursor;
class TextDocument;

namespace epub {

/// Turns a parsed Book into the rich text of a document: one chapter per
/// spine content document, joined with a page break between two chapters,
/// with the book's style sheets as resources and its images in an image map.
///
/// The chapters stay available one by one (chapters()), so a layout that
/// works chapter by chapter can take them as they are; every position handed
/// out (table of contents, anchors) is a character position of the joined
/// text. Chapter i is one element (a div standing for the document's body,
/// with its classes) whose id, chapters()[i].anchor, is where it starts.
///
/// Images are decoded on first use (image()), within the shared image
/// limits, and kept.
///
/// GUI thread, like the document it fills.
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

    /// `book` and `document` must outlive the converter; the navigation
    /// points of `book` receive their positions.
    EpubConverter(Book& book, TextDocument* document, QObject* parent = nullptr);

    /// Fills the document (loadCSS, loadImages, loadSpine), computes the
    /// positions of the table of contents, logs the time and emits
    /// finished(). Returns the number of chapters.
    int convert();
    /// Adds every style sheet of the manifest as a style-sheet resource of
    /// the document, under its archive path, filtered for the reader.
    void loadCSS();
    /// Registers every image of the manifest in the image map (decoded on
    /// first use).
    void loadImages();
    /// Builds the chapters and sets the joined text as the document's HTML
    /// (`cursor` is not used: the text is set in one step).
    void loadSpine(QTextCursor* cursor = nullptr);

    /// The chapters of the last conversion, in spine order.
    const QList<Chapter>& chapters() const { return m_chapters; }
    /// HTML put between two chapters.
    static QString chapterSeparator();
    /// The head of the joined text (style sheet links and embedded styles).
    const QString& head() const { return m_head; }
    /// The anchor a link to `path` (and `fragment`) leads to; empty when the
    /// path is not a chapter.
    QString anchorFor(const QString& path, const QString& fragment = QString()) const;
    /// The table of contents with positions (pages left 0).
    QList<TocPoint> toc() const;

    /// The image stored under archive path `path` (exact, else without regard
    /// to case); null when unknown or refused.
    QImage image(const QString& path);
    /// Its size without decoding it; (-1, -1) when unknown.
    QSize imageSize(const QString& path) const;

signals:
    void finished();

private:
    QString resourceKey(const QString& path) const;
    void placeNavPoints(QList<NavPoint>& points);

    Book& m_book;
    TextDocument* m_document;
    QList<Chapter> m_chapters;
    QString m_head;
    QHash<QString, QString> m_anchors;  ///< chapter path -> anchor
    QHash<QString, QString> m_prefixes; ///< chapter path -> id prefix
    QHash<QString, QImage> m_images;    ///< decoded images by archive path
    QHash<QString, QString> m_resourcesByLowerCase;
};

} // namespace epub
