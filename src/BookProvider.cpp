#include "BookProvider.h"

#include "Logger.h"
#include "Paths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLoggingCategory>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QThread>
#include <QThreadStorage>
#include <QVarLengthArray>
#include <QVariant>
#include <initializer_list>
#include <sqlite3.h>
#include <utility>

Q_LOGGING_CATEGORY(lcDatabase, "lanternleaf.database")

namespace {

const int kBusyTimeoutMs = 5000;

const char* const kSchema[] = {
    "create table if not exists books (id INTEGER primary key,cover TEXT,full_path TEXT,author "
    "TEXT,title TEXT,format INTEGER,time_added INTEGER,time_last_view INTEGER,position "
    "INTEGER,max_position INTEGER,is_favorite INTEGER,is_deleted INTEGER);",
    "create table if not exists bookmarks (id INTEGER primary key,book_id INTEGER,title "
    "TEXT,position REAL,progress REAL,time_added INTEGER);",
    "create table if not exists folders (id INTEGER primary key,parent_id INTEGER,title TEXT "
    "UNIQUE);",
    "create table if not exists book_folder_binder(book_id INTEGER NOT NULL,folder_id INTEGER NOT "
    "NULL,PRIMARY KEY(book_id),foreign key(book_id) references books(id),foreign key(folder_id) "
    "references folders(id));",
    "create table if not exists book_metadata ( id INTEGER PRIMARY KEY, book_id INTEGER NOT NULL, "
    "meta_type INTEGER NOT NULL, meta_value TEXT);",
    "CREATE TRIGGER if not exists delete_book_folder_bind_books BEFORE DELETE ON books BEGIN "
    "DELETE FROM book_folder_binder where book_id = old.id; END;",
    "CREATE TRIGGER if not exists delete_book_folder_bind_folders BEFORE DELETE ON folders BEGIN "
    "DELETE FROM book_folder_binder where folder_id = old.id; END;",
    "CREATE TRIGGER if not exists delete_book_bookmarks BEFORE DELETE ON books BEGIN delete from "
    "bookmarks where book_id=old.id;END;",
    "CREATE TRIGGER if not exists delete_book_metadata BEFORE DELETE ON books BEGIN delete from "
    "book_metadata where book_id=old.id;END;",
};

const char* const kSchemaErrors[] = {
    "Cannot create books table. Error:%1",
    "Cannot create bookmarks table. Error:%1",
    "Cannot create folders table. Error:%1",
    "Cannot create folder and book binder table. Error:%1",
    "Cannot create metadata table. Error:%1",
    "Cannot create folder and book trigger on delete (books). Error:%1",
    "Cannot create folder and book trigger on delete (folders). Error:%1",
    "Cannot create book and bookmarks trigger on delete. Error:%1",
    "Cannot create book and metadata trigger on delete. Error:%1",
};

// Not part of the stored schema's contract: without them every metadata write
// and lookup scans the whole table, so adding books slows down quadratically.
const char* const kIndexes[] = {
    "CREATE INDEX if not exists book_metadata_book_type ON book_metadata (book_id, meta_type);",
    "CREATE INDEX if not exists bookmarks_book ON bookmarks (book_id);",
    // Every added file is looked up by path first: without it adding to a
    // library of 20,000 books scans them all, twice per file.
    "CREATE INDEX if not exists books_full_path ON books (full_path);",
    // The lists are ordered by the time of adding: read in index order
    // instead of sorting the whole table for every category shown.
    "CREATE INDEX if not exists books_time_added ON books (time_added);",
};

const char* const kBookColumns =
    "b.id, b.cover, b.full_path, b.author, b.title, b.format, b.time_added, b.time_last_view, "
    "b.position, b.max_position,b.is_favorite, b.is_deleted";

/// A query on db. Unlike QSqlQuery(db), an invalid db gives an inert query
/// instead of falling back to the default connection of another thread.
QSqlQuery makeQuery(const QSqlDatabase& db)
{
    return QSqlQuery(db.driver()->createResult());
}

using Bindings = std::initializer_list<std::pair<const char*, QVariant>>;

/// The connection of a thread other than the one that created the schema;
/// closed and unregistered by the thread itself when it ends (QThreadStorage
/// deletes it at thread exit).
struct ThreadConnection
{
    QString name;
    int generation = -1;

    ~ThreadConnection() { close(); }
    void close()
    {
        if (name.isEmpty())
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        name.clear();
    }
};

QThreadStorage<ThreadConnection*> g_connections;
QThreadStorage<QString> g_lastError;

void setLastError(const QString& text)
{
    g_lastError.setLocalData(text);
}

/// Settings every connection needs; the journal mode is a property of the
/// file and is set once by createConnection().
void configure(const QSqlDatabase& db)
{
    QSqlQuery q = makeQuery(db);
    // The driver option covers the open itself; the pragma states it again
    // for drivers built without that option.
    if (!q.exec(QStringLiteral("PRAGMA busy_timeout=%1").arg(kBusyTimeoutMs)))
        qCDebug(lcDatabase) << "busy_timeout error:" << q.lastError().text();
    // In WAL mode NORMAL never corrupts the file; a power cut may only lose
    // the last commits. FULL costs an fsync per added book.
    if (!q.exec(QStringLiteral("PRAGMA synchronous=NORMAL")))
        qCDebug(lcDatabase) << "synchronous error:" << q.lastError().text();
    if (!q.exec(QStringLiteral("PRAGMA foreign_keys=ON")))
        qCDebug(lcDatabase) << "foreign_keys error:" << q.lastError().text();
    // A library of 20,000 books is about 10 MB: kept in the connection's
    // cache, listing a category reads memory instead of the file.
    if (!q.exec(QStringLiteral("PRAGMA cache_size=-32768")))
        qCDebug(lcDatabase) << "cache_size error:" << q.lastError().text();
}

QSqlDatabase openConnection(const QString& name, const QString& path)
{
    if (QSqlDatabase::contains(name))
        QSqlDatabase::removeDatabase(name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    db.setDatabaseName(path);
    if (db.open())
        configure(db);
    return db;
}

BookDto readBook(const QSqlQuery& q)
{
    BookDto book;
    book.id = q.value(0).toInt();
    book.cover = BookProvider::decodePath(q.value(1).toString());
    book.full_path = BookProvider::decodePath(q.value(2).toString());
    book.author = q.value(3).toString();
    book.title = q.value(4).toString();
    book.format = q.value(5).toInt();
    book.time_added = q.value(6).toUInt();
    book.time_last_view = q.value(7).toUInt();
    book.position = q.value(8).toInt();
    book.max_position = q.value(9).toInt();
    book.is_favorite = q.value(10).toInt();
    book.is_deleted = q.value(11).toInt();
    return book;
}

QList<BookDto> readBooks(QSqlQuery& q)
{
    QList<BookDto> books;
    while (q.next())
        books.append(readBook(q));
    return books;
}

/// Prepares, binds and executes one statement. On failure logs message
/// (with the driver's text as %1) at error level when given, writes the
/// debug trace and keeps the text as the thread's last error.
bool run(QSqlQuery& q, const QSqlDatabase& db, const char* function, const QString& sql, Bindings values,
         const char* message)
{
    bool ok = false;
    QString error;
    if (!db.isOpen()) {
        error = db.lastError().isValid() ? db.lastError().text() : QStringLiteral("Database is not open");
    } else if (!q.prepare(sql)) {
        error = q.lastError().text();
    } else {
        for (const auto& value : values)
            q.bindValue(QLatin1String(value.first), value.second);
        ok = q.exec();
        if (!ok)
            error = q.lastError().text();
    }
    if (ok)
        return true;
    setLastError(error);
    if (message)
        logError(QString::fromLatin1(message).arg(error));
    qCDebug(lcDatabase) << function << "error:" << error;
    return false;
}

ushort charCode(QChar c)
{
    return c.unicode();
}

ushort charCode(char c)
{
    return uchar(c);
}

/// Decodes a stored path straight from its characters into a buffer,
/// without the intermediate copies of QByteArray's decoder: every listed
/// book decodes two. Characters outside the standard alphabet (padding
/// included) are skipped, as there.
template <typename Char> QString decodeBase64Path(const Char* begin, const Char* end)
{
    QVarLengthArray<char, 256> bytes;
    quint32 buffer = 0;
    int bits = 0;
    for (const Char* it = begin; it != end; ++it) {
        const ushort u = charCode(*it);
        int value;
        if (u >= 'A' && u <= 'Z')
            value = u - 'A';
        else if (u >= 'a' && u <= 'z')
            value = u - 'a' + 26;
        else if (u >= '0' && u <= '9')
            value = u - '0' + 52;
        else if (u == '+')
            value = 62;
        else if (u == '/')
            value = 63;
        else
            continue;
        buffer = (buffer << 6) | quint32(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.append(char((buffer >> bits) & 0xff));
        }
    }
    return QString::fromUtf8(bytes.constData(), bytes.size());
}

/// The connection's own handle when its driver is SQLite's, else null.
sqlite3* sqliteHandle(const QSqlDatabase& db)
{
    if (!db.isOpen() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

QString columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString();
}

/// A stored path: base64 of its UTF-8 bytes (ASCII, so read as bytes).
QString columnPath(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? decodeBase64Path(text, text + sqlite3_column_bytes(statement, column)) : QString();
}

/// Reads a list straight from SQLite: through QSqlQuery every value of a
/// 20,000-row list becomes a QVariant and a UTF-16 copy first, which was
/// two thirds of the time a category switch takes. Same columns, same
/// conversions as readBook(). False with *error on failure.
bool selectBooksDirect(sqlite3* handle, const QString& sql, Bindings values, QList<BookDto>* books,
                       QString* error)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), text.size(), &statement, nullptr) != SQLITE_OK) {
        *error = QString::fromUtf8(sqlite3_errmsg(handle));
        sqlite3_finalize(statement);
        return false;
    }
    for (const auto& value : values) {
        const int index = sqlite3_bind_parameter_index(statement, value.first);
        int rc = SQLITE_OK;
        if (index == 0)
            continue;
        if (value.second.type() == QVariant::String) {
            const QByteArray bound = value.second.toString().toUtf8();
            rc = sqlite3_bind_text(statement, index, bound.constData(), bound.size(), SQLITE_TRANSIENT);
        } else {
            rc = sqlite3_bind_int64(statement, index, value.second.toLongLong());
        }
        if (rc != SQLITE_OK) {
            *error = QString::fromUtf8(sqlite3_errmsg(handle));
            sqlite3_finalize(statement);
            return false;
        }
    }
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        BookDto book;
        book.id = sqlite3_column_int(statement, 0);
        book.cover = columnPath(statement, 1);
        book.full_path = columnPath(statement, 2);
        book.author = columnText(statement, 3);
        book.title = columnText(statement, 4);
        book.format = sqlite3_column_int(statement, 5);
        book.time_added = uint(sqlite3_column_int64(statement, 6));
        book.time_last_view = uint(sqlite3_column_int64(statement, 7));
        book.position = sqlite3_column_int(statement, 8);
        book.max_position = sqlite3_column_int(statement, 9);
        book.is_favorite = sqlite3_column_int(statement, 10);
        book.is_deleted = sqlite3_column_int(statement, 11);
        books->append(book);
    }
    if (rc != SQLITE_DONE) {
        *error = QString::fromUtf8(sqlite3_errmsg(handle));
        books->clear();
    }
    sqlite3_finalize(statement);
    return rc == SQLITE_DONE;
}

/// One of the book lists: the rows of a statement, empty on failure.
QList<BookDto> selectBooks(const QSqlDatabase& db, const char* function, const QString& sql, Bindings values,
                           const char* message)
{
    if (sqlite3* handle = sqliteHandle(db)) {
        QList<BookDto> books;
        QString error;
        if (selectBooksDirect(handle, sql, values, &books, &error))
            return books;
        setLastError(error);
        if (message)
            logError(QString::fromLatin1(message).arg(error));
        qCDebug(lcDatabase) << function << "error:" << error;
        return {};
    }
    QSqlQuery q = makeQuery(db);
    // Rows are read once, in order: without this the driver keeps a copy of
    // every value of a 20,000-row list on the side.
    q.setForwardOnly(true);
    if (!run(q, db, function, sql, values, message))
        return {};
    return readBooks(q);
}

int countOf(QSqlQuery& q)
{
    return q.next() ? q.value(0).toInt() : 0;
}

} // namespace

BookProvider* BookProvider::instance()
{
    static BookProvider provider;
    return &provider;
}

QString BookProvider::encodePath(const QString& path)
{
    return QString::fromLatin1(path.toUtf8().toBase64());
}

QString BookProvider::decodePath(const QString& encoded)
{
    return decodeBase64Path(encoded.constBegin(), encoded.constEnd());
}

void BookProvider::setMessageReporter(MessageReporter reporter)
{
    QMutexLocker lock(&m_mutex);
    m_reporter = std::move(reporter);
}

void BookProvider::setClock(Clock clock)
{
    QMutexLocker lock(&m_mutex);
    m_clock = std::move(clock);
}

qint64 BookProvider::now() const
{
    QMutexLocker lock(&m_mutex);
    return m_clock ? m_clock() : QDateTime::currentSecsSinceEpoch();
}

void BookProvider::report(const QString& title, const QString& text)
{
    MessageReporter reporter;
    {
        QMutexLocker lock(&m_mutex);
        reporter = m_reporter;
    }
    if (reporter)
        reporter(title, text);
    else
        qCWarning(lcDatabase).noquote() << title << ":" << text;
}

QString BookProvider::lastError() const
{
    return g_lastError.hasLocalData() ? g_lastError.localData() : QString();
}

QString BookProvider::databasePath() const
{
    QMutexLocker lock(&m_mutex);
    return m_path;
}

bool BookProvider::createConnection()
{
    const QString path = Paths::databaseFolder() + QDir::separator() + "ebooklib.sqlite3";
    qCDebug(lcDatabase) << Q_FUNC_INFO << path;

    const QString name = QLatin1String(QSqlDatabase::defaultConnection);
    {
        QMutexLocker lock(&m_mutex);
        m_ready = false;
        m_path = path;
        m_ownerThread = QThread::currentThread();
        ++m_generation;
    }
    // A repeated call (tests, a changed home) starts afresh; stale per-thread
    // connections notice the new generation and reopen.
    if (QSqlDatabase::contains(name)) {
        {
            QSqlDatabase old = QSqlDatabase::database(name, false);
            old.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    QSqlDatabase db = openConnection(name, path);
    if (!db.isOpen()) {
        const QString error = db.lastError().text();
        setLastError(error);
        logDebug(error);
        report(QCoreApplication::translate("BookProvider", "Failed to open database"),
               QCoreApplication::translate("BookProvider", "Unable to connect to database"));
        return false;
    }

    {
        // WAL lets the interface read while a worker writes; stored in the file.
        QSqlQuery q = makeQuery(db);
        if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
            qCDebug(lcDatabase) << "journal_mode error:" << q.lastError().text();
    }

    for (size_t i = 0; i < sizeof(kSchema) / sizeof(kSchema[0]); ++i) {
        QSqlQuery q = makeQuery(db);
        if (!q.exec(QLatin1String(kSchema[i]))) {
            const QString error = q.lastError().text();
            setLastError(error);
            logError(QString::fromLatin1(kSchemaErrors[i]).arg(error));
            report(QCoreApplication::translate("BookProvider", "Creation table failed"), error);
            return false;
        }
    }

    for (const char* statement : kIndexes) {
        QSqlQuery q(db);
        if (!q.exec(QLatin1String(statement)))
            logError(QStringLiteral("Cannot create index. Error:%1").arg(q.lastError().text()));
    }

    QMutexLocker lock(&m_mutex);
    m_ready = true;
    return true;
}

QSqlDatabase BookProvider::connection()
{
    QString path;
    int generation = 0;
    bool ready = false;
    QThread* owner = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        path = m_path;
        generation = m_generation;
        ready = m_ready;
        owner = m_ownerThread;
    }
    if (!ready)
        return QSqlDatabase();
    QThread* const current = QThread::currentThread();
    if (current == owner)
        return QSqlDatabase::database(QLatin1String(QSqlDatabase::defaultConnection), false);

    // Qt allows a connection only in the thread that made it: every other
    // thread gets its own connection to the same file.
    if (!g_connections.hasLocalData())
        g_connections.setLocalData(new ThreadConnection);
    ThreadConnection* holder = g_connections.localData();
    if (holder->generation != generation) {
        holder->close();
        holder->name = QStringLiteral("lanternleaf-%1").arg(reinterpret_cast<quintptr>(current), 0, 16);
        holder->generation = generation;
        const QSqlDatabase db = openConnection(holder->name, path);
        if (!db.isOpen())
            logError(QStringLiteral("Open database connection. Error db:%1").arg(db.lastError().text()));
    }
    return QSqlDatabase::database(holder->name, false);
}

// --- books ---

int BookProvider::insertBook(const QSqlDatabase& db, const BookDto& book)
{
    QSqlQuery q = makeQuery(db);
    const bool ok =
        run(q, db, Q_FUNC_INFO,
            "INSERT INTO books (cover, full_path, author, title, format, time_added, time_last_view, "
            "position, max_position, is_favorite, is_deleted) VALUES (:cover, :full_path, :author, "
            ":title, :format, :time_added, :time_last_view, :position, :max_position, :is_favorite, "
            ":is_deleted)",
            {{":cover", encodePath(book.cover)},
             {":full_path", encodePath(book.full_path)},
             {":author", book.author},
             {":title", book.title},
             {":format", book.format},
             {":time_added", book.time_added},
             {":time_last_view", book.time_last_view},
             {":position", book.position},
             {":max_position", book.max_position},
             {":is_favorite", book.is_favorite},
             {":is_deleted", book.is_deleted}},
            "Add book. Error db:%1");
    if (!ok)
        return -1;
    const int id = q.lastInsertId().toInt();
    for (auto it = book.metadata.cbegin(); it != book.metadata.cend(); ++it)
        setMetaData(id, it.key(), it.value());
    return id;
}

int BookProvider::addBook(const BookDto& book)
{
    const QSqlDatabase db = connection();
    // One transaction per book: the row and its metadata arrive together and
    // cost one commit. IMMEDIATE takes the write lock up front, so a waiting
    // writer is served by the busy timeout instead of failing.
    QSqlQuery begin = makeQuery(db);
    const bool inTransaction = db.isOpen() && begin.exec(QStringLiteral("BEGIN IMMEDIATE"));
    int id = insertBook(db, book);
    if (inTransaction) {
        QSqlQuery end = makeQuery(db);
        if (!end.exec(id > 0 ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK")) && id > 0) {
            const QString error = end.lastError().text();
            setLastError(error);
            logError(QStringLiteral("Add book. Error db:%1").arg(error));
            makeQuery(db).exec(QStringLiteral("ROLLBACK"));
            id = -1;
        }
    }
    return id;
}

QList<int> BookProvider::addBooks(const QList<BookDto>& books)
{
    QList<int> ids;
    if (books.isEmpty())
        return ids;
    const QSqlDatabase db = connection();
    QSqlQuery begin = makeQuery(db);
    if (!db.isOpen() || !begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        for (const BookDto& book : books)
            ids << addBook(book);
        return ids;
    }
    for (const BookDto& book : books) {
        // A book that fails leaves no half rows and keeps the others.
        makeQuery(db).exec(QStringLiteral("SAVEPOINT add_book"));
        const int id = insertBook(db, book);
        if (id <= 0)
            makeQuery(db).exec(QStringLiteral("ROLLBACK TO add_book"));
        makeQuery(db).exec(QStringLiteral("RELEASE add_book"));
        ids << id;
    }
    QSqlQuery end = makeQuery(db);
    if (!end.exec(QStringLiteral("COMMIT"))) {
        const QString error = end.lastError().text();
        setLastError(error);
        logError(QStringLiteral("Add book. Error db:%1").arg(error));
        makeQuery(db).exec(QStringLiteral("ROLLBACK"));
        for (int& id : ids)
            id = -1;
    }
    return ids;
}

bool BookProvider::updateBook(const BookDto& book)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO,
               "UPDATE books SET cover=:cover, full_path=:full_path,author=:author, title=:title, "
               "format=:format, time_added=:time_added, time_last_view=:time_last_view, "
               "position=:position, max_position=:max_position, "
               "is_favorite=:is_favorite,is_deleted=:is_deleted WHERE id = :id;",
               {{":cover", encodePath(book.cover)},
                {":full_path", encodePath(book.full_path)},
                {":author", book.author},
                {":title", book.title},
                {":format", book.format},
                {":time_added", book.time_added},
                {":time_last_view", book.time_last_view},
                {":position", book.position},
                {":max_position", book.max_position},
                {":is_favorite", book.is_favorite},
                {":is_deleted", book.is_deleted},
                {":id", book.id}},
               "Update book. Error db:%1");
}

BookDto BookProvider::getBookById(int id)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO, "select * from books where id=:id", {{":id", id}},
             "Select book by id. Error db:%1"))
        return BookDto();
    return q.next() ? readBook(q) : BookDto();
}

BookDto BookProvider::getBookByPath(const QString& path)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO, "select * from books where full_path=:full_path AND is_deleted = 0",
             {{":full_path", encodePath(path)}}, "Select book by path. Error db:%1"))
        return BookDto();
    BookDto book;
    while (q.next())
        book = readBook(q);
    return book;
}

bool BookProvider::setLastView(int id, uint seconds)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "UPDATE books SET time_last_view=:time_last_view WHERE id = :id",
               {{":time_last_view", seconds}, {":id", id}}, "Set last view error db:%1");
}

bool BookProvider::setFavorite(int id, int value)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "UPDATE books SET is_favorite=:is_favorite WHERE id = :id",
               {{":is_favorite", value}, {":id", id}}, "Set favorite error db:%1");
}

bool BookProvider::setDeleted(int id, int value)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "UPDATE books SET is_deleted=:is_deleted WHERE id = :id",
               {{":is_deleted", value}, {":id", id}}, "Set deleted error db:%1");
}

bool BookProvider::deleteFromLibrary(int id)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "delete from books where books.id=:id;", {{":id", id}},
               "Delete book error db:%1");
}

bool BookProvider::emptyTrash()
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "delete from books where is_deleted=:is_deleted;", {{":is_deleted", 1}},
               "Remove from trash error:%1");
}

bool BookProvider::restoreAll()
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "UPDATE books SET is_deleted=:is_restore WHERE is_deleted = :is_delete",
               {{":is_restore", 0}, {":is_delete", 1}}, "Restore all from trash error:%1");
}

bool BookProvider::clearLibrary()
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "UPDATE books SET is_deleted=1 WHERE is_deleted=0", {},
               "Clear library error:%1");
}

int BookProvider::bookCount()
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO, "select COUNT(*) from books where is_deleted = 0", {},
             "Select book count. Error db:%1"))
        return -1;
    return countOf(q);
}

int BookProvider::allBookCount()
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO, "select COUNT(*) from books", {}, "Select all book count. Error db:%1"))
        return -1;
    return countOf(q);
}

int BookProvider::bookCountByFormat(int format)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO, "select COUNT(*) from books where is_deleted = 0 and format=:format",
             {{":format", format}}, "Select book count by format. Error db:%1"))
        return -1;
    return countOf(q);
}

QMap<int, int> BookProvider::bookCountsByFormat()
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    QMap<int, int> counts;
    if (!run(q, db, Q_FUNC_INFO, "select format, COUNT(*) from books where is_deleted = 0 group by format",
             {}, "Select book count by format. Error db:%1"))
        return counts;
    while (q.next())
        counts.insert(q.value(0).toInt(), q.value(1).toInt());
    return counts;
}

// --- book lists ---

QList<BookDto> BookProvider::selectAll()
{
    return selectBooks(connection(), Q_FUNC_INFO,
                       "select * from books where is_deleted = 0 ORDER BY time_added DESC", {},
                       "Select all books error:%1");
}

QList<BookDto> BookProvider::selectRecentlyRead()
{
    return selectBooks(
        connection(), Q_FUNC_INFO,
        "select * from books where (is_deleted = 0) and (time_last_view >= :time_last_view) "
        "ORDER BY time_last_view DESC limit :max_book_count",
        {{":time_last_view", now() - RecentlyReadWindow}, {":max_book_count", RecentlyReadLimit}},
        "Select recently read error:%1");
}

QList<BookDto> BookProvider::selectLastAdded()
{
    return selectBooks(connection(), Q_FUNC_INFO,
                       "select * from books where (is_deleted = 0) ORDER BY time_added DESC limit "
                       ":max_book_count",
                       {{":max_book_count", LastAddedLimit}}, "Select last added error:%1");
}

QList<BookDto> BookProvider::selectFavorits()
{
    return selectBooks(connection(), Q_FUNC_INFO,
                       "select * from books where (is_favorite=1) AND (is_deleted = 0)", {},
                       "Select favorites error:%1");
}

QList<BookDto> BookProvider::selectDeleted()
{
    return selectBooks(connection(), Q_FUNC_INFO, "select * from books where is_deleted=1", {},
                       "Select deleted error:%1");
}

QList<BookDto> BookProvider::selectByFormat(int format)
{
    return selectBooks(
        connection(), Q_FUNC_INFO,
        "select * from books where (format=:format) AND (is_deleted = 0) ORDER BY time_added DESC",
        {{":format", format}}, "Select by format error:%1");
}

QList<BookDto> BookProvider::selectByFolder(int folderId)
{
    return selectBooks(connection(), Q_FUNC_INFO,
                       QStringLiteral("select %1 from books as b join book_folder_binder on b.id = "
                                      "book_folder_binder.book_id where (book_folder_binder.folder_id = "
                                      ":folder_id) and (b.is_deleted = 0) ORDER BY time_added DESC")
                           .arg(QLatin1String(kBookColumns)),
                       {{":folder_id", folderId}}, "Select by folder error:%1");
}

QList<BookDto> BookProvider::searchBooks(const QString& text)
{
    const QString pattern = "%" + text + "%";
    // Only a debug trace on failure: a failed search is an empty result.
    return selectBooks(connection(), "Query",
                       "select * from books where (author like :author) or (title like :title)",
                       {{":author", pattern}, {":title", pattern}}, nullptr);
}

CategoryCounts BookProvider::categoryCounts()
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    const bool ok =
        run(q, db, Q_FUNC_INFO,
            "select (select COUNT(*) from books where is_deleted = 0) as all_count, "
            "min(:max_last_added_book_count, (select COUNT(*) from books where is_deleted = 0)) as "
            "last_added_count, "
            "min(:recently_read_max_book_count, (select COUNT(*) from books where is_deleted = 0 and "
            "time_last_view >= :recently_read_time_last_view)) as recently_read_count, "
            "(select COUNT(*) from books where is_favorite = 1 and is_deleted = 0) as "
            "favorites_read_count, "
            "(select COUNT(*) from books where is_deleted = 1) as deleted_count",
            {{":max_last_added_book_count", LastAddedLimit},
             {":recently_read_max_book_count", RecentlyReadLimit},
             {":recently_read_time_last_view", now() - RecentlyReadWindow}},
            "Select category counts error:%1");
    CategoryCounts counts;
    if (!ok || !q.next())
        return counts;
    const QSqlRecord r = q.record();
    counts.all = q.value(r.indexOf("all_count")).toInt();
    counts.last_added = q.value(r.indexOf("last_added_count")).toInt();
    counts.recently_read = q.value(r.indexOf("recently_read_count")).toInt();
    counts.favorites = q.value(r.indexOf("favorites_read_count")).toInt();
    counts.deleted = q.value(r.indexOf("deleted_count")).toInt();
    return counts;
}

// --- bookmarks ---

bool BookProvider::addBookmark(const BookmarkDto& bookmark)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    const bool ok = run(q, db, Q_FUNC_INFO,
                        "INSERT INTO bookmarks (book_id, title, position, progress, time_added) "
                        "VALUES (:book_id, :title, :position, :progress, :time_added)",
                        {{":book_id", bookmark.book_id},
                         {":title", bookmark.title},
                         {":position", bookmark.position},
                         {":progress", bookmark.progress},
                         {":time_added", bookmark.time_added}},
                        "Add bookmark. Error db:%1");
    qCDebug(lcDatabase) << "Set bookmark result:" << ok;
    return ok;
}

QList<BookmarkDto> BookProvider::bookmarks(int bookId)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    QList<BookmarkDto> list;
    if (!run(q, db, Q_FUNC_INFO, "select * from bookmarks where book_id=:book_id", {{":book_id", bookId}},
             "Select bookmarks. Error db:%1"))
        return list;
    while (q.next()) {
        BookmarkDto b;
        b.id = q.value(0).toInt();
        b.book_id = q.value(1).toInt();
        b.title = q.value(2).toString();
        b.position = q.value(3).toFloat();
        b.progress = q.value(4).toFloat();
        b.time_added = q.value(5).toUInt();
        list.append(b);
    }
    return list;
}

bool BookProvider::removeBookmark(int bookmarkId)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "delete from bookmarks where id=:bookmark_id",
               {{":bookmark_id", bookmarkId}}, "Remove bookmark error:%1");
}

bool BookProvider::removeBookmarks(int bookId)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "delete from bookmarks where book_id=:id;", {{":id", bookId}},
               "Remove bookmarks error:%1");
}

// --- categories ---

namespace {
QList<CategoryDto> readCategories(QSqlQuery& q)
{
    QList<CategoryDto> list;
    while (q.next()) {
        CategoryDto c;
        c.id = q.value(0).toInt();
        c.parent_id = q.value(1).toInt();
        c.title = q.value(2).toString();
        c.book_count = q.value(3).toInt();
        list.append(c);
    }
    return list;
}
} // namespace

QList<CategoryDto> BookProvider::allCategories()
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO,
             "select f.id, f.parent_id, f.title, (SELECT COUNT(*) from book_folder_binder bfb join "
             "books on bfb.book_id = books.id where bfb.folder_id = f.id and books.is_deleted = 0 ) "
             "as book_count from folders as f",
             {}, "Select all folder. Error db:%1"))
        return {};
    return readCategories(q);
}

CategoryDto BookProvider::findCategory(int id)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO,
             "select f.id, f.parent_id, f.title,(SELECT COUNT(*) from book_folder_binder bfb where "
             "bfb.folder_id = f.id ) as book_count from folders as f where f.id=:folder_id",
             {{":folder_id", id}}, "Select folder by id. Error db:%1"))
        return CategoryDto();
    const QList<CategoryDto> list = readCategories(q);
    return list.isEmpty() ? CategoryDto() : list.last();
}

int BookProvider::categoryOfBook(int bookId)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO, "select folder_id from book_folder_binder where book_id=:book_id",
             {{":book_id", bookId}}, "Select category by folder id. Error db:%1"))
        return 0;
    int folderId = 0;
    while (q.next())
        folderId = q.value(0).toInt();
    return folderId;
}

int BookProvider::addCategory(const QString& title, const int parentId)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO, "INSERT INTO folders (parent_id, title) VALUES (:parent_id, :title)",
             {{":parent_id", parentId}, {":title", title}}, "Add folder. Error db:%1"))
        return -1;
    return q.lastInsertId().toInt();
}

bool BookProvider::removeCategory(const int id)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "delete from folders where id=:folder_id", {{":folder_id", id}},
               "Remove folder. Error db:%1");
}

bool BookProvider::renameCategory(const int id, const QString& title)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO, "UPDATE folders SET title=:title WHERE id = :id;",
               {{":title", title}, {":id", id}}, "Rename folder. Error db:%1");
}

bool BookProvider::addBookToCategory(const int bookId, const int folderId)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO,
               "INSERT or REPLACE INTO book_folder_binder (book_id, folder_id) VALUES (:book_id, "
               ":folder_id)",
               {{":book_id", bookId}, {":folder_id", folderId}}, "Add book to folder. Error db:%1");
}

bool BookProvider::removeBookFromCategory(const int bookId, const int folderId)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO,
               "DELETE FROM book_folder_binder WHERE book_id=:book_id AND folder_id=:folder_id",
               {{":book_id", bookId}, {":folder_id", folderId}}, "Remove book from category. Error db:%1");
}

// --- metadata ---

bool BookProvider::setMetaData(const int bookId, const int type, const QString& value)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    return run(q, db, Q_FUNC_INFO,
               "INSERT OR REPLACE INTO book_metadata (id, book_id, meta_type, meta_value) VALUES "
               "((SELECT ID FROM book_metadata WHERE book_id = :book_id AND meta_type=:meta_type), "
               ":book_id, :meta_type, :meta_value)",
               {{":book_id", bookId}, {":meta_type", type}, {":meta_value", value}},
               "Add metadata. Error db:%1");
}

QString BookProvider::getMetaData(const int bookId, const int type)
{
    const QSqlDatabase db = connection();
    QSqlQuery q = makeQuery(db);
    if (!run(q, db, Q_FUNC_INFO,
             "select meta_value from book_metadata where book_id = :book_id and meta_type = "
             ":meta_type;",
             {{":book_id", bookId}, {":meta_type", type}},
             "Select meta_value by book id and meta type. Error db:%1"))
        return QString();
    QString value;
    while (q.next())
        value = q.value(0).toString();
    return value;
}
