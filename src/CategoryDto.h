#pragma once

#include <QMetaType>
#include <QString>

/// One user-made category (a row of `folders`) with the number of its books.
struct CategoryDto
{
    int id = 0;
    int parent_id = 0;
    QString title;
    int book_count = 0; ///< computed by the query that read the row
};

Q_DECLARE_METATYPE(CategoryDto)
