#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace epub {

/// One "item" of the package manifest. `href` is resolved: the entry's path
/// inside the archive ("OEBPS/Text/ch1.xhtml"), percent-decoded, without
/// fragment.
struct ManifestItem
{
    QString id;
    QString href;
    QString mediaType;
    QString properties; ///< EPUB 3 properties ("nav", "cover-image"…)
};

/// One entry of the table of contents (NCX navPoint or EPUB 3 nav "li").
struct NavPoint
{
    QString id;
    QString label;
    /// The target content document: an archive path, without fragment.
    QString src;
    /// The fragment of the target (an id inside `src`), may be empty.
    QString fragment;
    int playOrder = 0;
    /// Character position in the converted text; filled by the converter.
    int position = 0;
    QList<NavPoint> children;
};

/// Everything the parser took from one EPUB file. Plain data, safe to copy
/// and to hand between threads.
struct Book
{
    /// Text of the package's Dublin Core elements by name ("dc:title",
    /// "dc:creator"…), each element's values in document order.
    QMap<QString, QStringList> metadata;

    QList<ManifestItem> styleSheets;      ///< "text/css"
    QList<ManifestItem> images;           ///< gif, jpeg, png, svg+xml (and webp)
    QList<ManifestItem> contentDocuments; ///< "application/xhtml+xml"
    ManifestItem ncx;                     ///< "application/x-dtbncx+xml", may be empty
    ManifestItem nav;                     ///< EPUB 3 navigation document, may be empty
    /// The manifest item with the id "cover" (a content document or an
    /// image), may be empty.
    ManifestItem coverItem;
    /// The item the package declares as cover image (meta name="cover",
    /// properties="cover-image"); may be empty.
    QString declaredCover;

    /// The "idref" of every "itemref", in order.
    QStringList spine;
    /// Decoded text of every content document read, by archive path.
    QHash<QString, QString> texts;
    /// Bytes of the style sheets and images read, by archive path.
    QHash<QString, QByteArray> resources;
    QList<NavPoint> navPoints;

    /// Archive path of the cover image; empty when the book has none.
    QString cover;
    /// The decoded cover image (metadata-only mode only).
    QImage coverImage;

    /// The book file and the package file's archive path.
    QString path;
    QString packagePath;

    /// The manifest item with `id` among the content documents, images and
    /// style sheets; null-id item when there is none.
    ManifestItem item(const QString& id) const;
    /// The first "dc:title", trimmed.
    QString title() const;
    /// Every "dc:creator", trimmed, joined with ", ".
    QString authors() const;
    /// Metadata by the library's codes 0 to 11 (identifier, title, creator,
    /// contributor, subject, publisher, description, type, format, source,
    /// language, rights); several values joined with a space, only non-empty
    /// values. The description is plain text even when the package holds
    /// HTML.
    QMap<int, QString> metadataCodes() const;
};

} // namespace epub
