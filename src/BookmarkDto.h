#pragma once

#include <QMetaType>
#include <QString>

/// One row of the `bookmarks` table.
struct BookmarkDto
{
    int id = 0;
    int book_id = 0;
    QString title;
    float position = 0;  ///< place in the book, in the document's position units
    float progress = 0;  ///< percent
    uint time_added = 0; ///< seconds since 1970 UTC
};

Q_DECLARE_METATYPE(BookmarkDto)
