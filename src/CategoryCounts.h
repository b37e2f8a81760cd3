#pragma once

/// Number of books in each general category of the library view.
struct CategoryCounts
{
    int all = 0;           ///< books not in the trash
    int last_added = 0;    ///< at most the last-added limit
    int recently_read = 0; ///< at most the recently-read limit
    int favorites = 0;     ///< favourites not in the trash
    int deleted = 0;       ///< books in the trash
};
