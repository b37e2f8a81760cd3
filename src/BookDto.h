#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>

/// Keys of BookDto::metadata, stored as `meta_type` in the library. The
/// values come from the book's own description (for EPUB the Dublin Core
/// element named after each key).
enum BookMetaType
{
    MetaIdentifier = 0,
    MetaTitle = 1,
    MetaCreator = 2,
    MetaContributor = 3,
    MetaSubject = 4,
    MetaPublisher = 5,
    MetaDescription = 6, ///< shown and edited in the book properties
    MetaType = 7,
    MetaFormat = 8,
    MetaSource = 9,
    MetaLanguage = 10,
    MetaRights = 11
};

/// One row of the `books` table. A default record (id 0) stands for "no
/// book": callers test `id > 0`.
struct BookDto
{
    int id = 0;
    QString cover;     ///< path of the cached cover image, may be empty
    QString full_path; ///< path of the book file, native separators
    QString author;
    QString title;
    int format = 0;              ///< format code
    uint time_added = 0;         ///< seconds since 1970 UTC
    uint time_last_view = 0;     ///< seconds since 1970 UTC, 0 when never read
    int position = 0;            ///< reading position in the document's units
    int max_position = 0;        ///< reading progress in percent
    int is_favorite = 0;         ///< 0 or 1
    int is_deleted = 0;          ///< 0 or 1; 1 means in the trash
    QMap<int, QString> metadata; ///< BookMetaType -> text; written by addBook only
};

Q_DECLARE_METATYPE(BookDto)
