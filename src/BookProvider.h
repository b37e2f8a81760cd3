#pragma once

#include "BookDto.h"
#include "BookmarkDto.h"
#include "CategoryCounts.h"
#include "CategoryDto.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QSqlDatabase>
#include <QString>
#include <functional>

class QThread;

/// The only code that talks to the library database (SQLite file
/// "ebooklib.sqlite3" in Paths::databaseFolder()). One operation per query;
/// rows come back as the plain records BookDto, BookmarkDto, CategoryDto.
///
/// Threads: every operation may be called from any thread. The thread that
/// calls createConnection() uses the default connection; every other thread
/// gets a connection of its own to the same file, opened on its first call
/// and closed when the thread ends. The journal is WAL and every connection
/// waits for a busy database, so a worker adding books while the interface
/// reads lists neither fails nor loses rows.
///
/// Failure: operations return an empty result (-1 ids, false, 0 counts, empty
/// lists, default records), log a fixed message with the driver's text and
/// keep that text for lastError(). Nothing throws and nothing is shown from
/// here except through the message reporter.
class BookProvider
{
public:
    /// Shows a critical message to the user (title, text). The GUI sets one;
    /// without it the message is only logged.
    using MessageReporter = std::function<void(const QString& title, const QString& text)>;
    /// Current time in seconds since 1970 UTC.
    using Clock = std::function<qint64()>;

    /// Items in the last-added list and its count.
    static constexpr int LastAddedLimit = 8;
    /// Items in the recently-read list and its count.
    static constexpr int RecentlyReadLimit = 20;
    /// A book read within this many seconds counts as recently read (60 days).
    static constexpr qint64 RecentlyReadWindow = 5184000;

    static BookProvider* instance();

    /// Opens (creating if needed) the database file and its schema on the
    /// calling thread's default connection. On failure reports the problem
    /// through the message reporter and returns false; later operations
    /// then fail cleanly. May be called again (for example by tests after
    /// the home changed): the old connections are dropped.
    bool createConnection();
    /// The database file's path (native separators), empty before createConnection().
    QString databasePath() const;

    // Books
    /// Inserts the book and its metadata; returns the new id or -1.
    int addBook(const BookDto& book);
    /// Inserts the books in one transaction (one commit for all), each row
    /// with its metadata; the new ids in order, -1 for a book that failed
    /// (it leaves no rows; the others stay). When the transaction cannot be
    /// opened the books are added one by one.
    QList<int> addBooks(const QList<BookDto>& books);
    bool updateBook(const BookDto& book);
    BookDto getBookById(int id);
    /// The book at this path that is not in the trash; a default record if none.
    BookDto getBookByPath(const QString& path);
    bool setLastView(int id, uint seconds);
    bool setFavorite(int id, int value);
    /// 1 moves the book to the trash, 0 restores it.
    bool setDeleted(int id, int value);
    /// Deletes the row; its bookmarks, metadata and category binding follow.
    bool deleteFromLibrary(int id);
    /// Deletes every book in the trash.
    bool emptyTrash();
    /// Restores every book from the trash.
    bool restoreAll();
    /// Moves every book to the trash.
    bool clearLibrary();
    /// Books not in the trash; -1 on failure.
    int bookCount();
    /// All book rows, trash included; -1 on failure.
    int allBookCount();
    /// Books of one format not in the trash; -1 on failure.
    int bookCountByFormat(int format);
    /// Books not deleted, per format code, in one query; formats without
    /// books are left out. Empty on failure.
    QMap<int, int> bookCountsByFormat();

    // Book lists; empty on failure.
    QList<BookDto> selectAll();
    QList<BookDto> selectRecentlyRead();
    QList<BookDto> selectLastAdded();
    QList<BookDto> selectFavorits();
    QList<BookDto> selectDeleted();
    QList<BookDto> selectByFormat(int format);
    QList<BookDto> selectByFolder(int folderId);
    /// Books whose author or title contains text (SQL LIKE, so "%" and "_"
    /// act as wildcards; ASCII letters case-insensitive), trash included.
    QList<BookDto> searchBooks(const QString& text);
    /// All zeros on failure.
    CategoryCounts categoryCounts();

    // Bookmarks
    bool addBookmark(const BookmarkDto& bookmark);
    QList<BookmarkDto> bookmarks(int bookId);
    bool removeBookmark(int bookmarkId);
    bool removeBookmarks(int bookId);

    // Categories (stored as "folders")
    QList<CategoryDto> allCategories();
    /// The count of the returned record includes books in the trash.
    CategoryDto findCategory(int id);
    /// The category id of the book, 0 when it has none or on failure.
    int categoryOfBook(int bookId);
    /// Returns the new id, or -1 (for example when the title exists).
    int addCategory(const QString& title, const int parentId);
    bool removeCategory(const int id);
    bool renameCategory(const int id, const QString& title);
    /// Binds the book to the category, moving it out of any other one.
    bool addBookToCategory(const int bookId, const int folderId);
    bool removeBookFromCategory(const int bookId, const int folderId);

    // Metadata: one value per book and type, replaced in place.
    bool setMetaData(const int bookId, const int type, const QString& value);
    /// Empty when the book has no value of this type.
    QString getMetaData(const int bookId, const int type);

    /// The driver's text of the last failed operation of the calling thread
    /// (each thread has its own, so a worker's failure never overwrites the
    /// text the interface is about to show).
    QString lastError() const;

    void setMessageReporter(MessageReporter reporter);
    /// Test seam: replaces the clock of the recently-read window (nullptr
    /// restores the system clock). Set it before other threads use the provider.
    void setClock(Clock clock);

    /// Base64 (standard alphabet, padded) of the UTF-8 bytes; "" for "".
    static QString encodePath(const QString& path);
    static QString decodePath(const QString& encoded);

private:
    BookProvider() = default;
    BookProvider(const BookProvider&) = delete;
    BookProvider& operator=(const BookProvider&) = delete;

    QSqlDatabase connection();
    /// The row and the metadata of one book, in the caller's transaction.
    int insertBook(const QSqlDatabase& db, const BookDto& book);
    void report(const QString& title, const QString& text);
    qint64 now() const;

    mutable QMutex m_mutex; ///< guards the members below
    QString m_path;
    QThread* m_ownerThread = nullptr; ///< the thread of the default connection
    bool m_ready = false;
    int m_generation = 0; ///< bumped by createConnection(); stale per-thread connections reopen
    MessageReporter m_reporter;
    Clock m_clock;
};
