#pragma once

#include "BookDto.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QMetaType>

/// What the library shows: a general category, or one format (1000 + format
/// code, up to 1100). Any int is a valid value (fixed underlying type), so
/// the category buttons' ids convert to it directly.
enum BookCategory : int
{
    CategoryRecentlyRead = 0,
    CategoryLastAdded = 1,
    CategoryAll = 2,
    CategoryFavorites = 3,
    CategoryDeleted = 4,
    CategoryFormatFirst = 1000, ///< + format code
    CategoryFormatLast = 1100
};

Q_DECLARE_METATYPE(BookCategory)

/// The books of the current selection (a category, a format, a custom
/// category or a search) as a table of eight columns plus custom roles. The
/// one model every library view shows (through the sort and format proxies).
///
/// The operation slots change the database only; the loaded records stay as
/// they are until the next select, which the views do on the signals.
/// Failure: a database failure gives a false result and no signal.
/// GUI thread only (the database layer gives it its own connection).
class BookModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        ColumnTitle = 0,
        ColumnAuthor = 1,
        ColumnProgress = 2,
        ColumnFormat = 3,
        ColumnDate = 4,
        ColumnFavorite = 5,
        ColumnRestore = 6, ///< the author again; the table draws the restore mark here
        ColumnDelete = 7,
        ColumnCount = 8
    };

    enum Role
    {
        IdRole = Qt::UserRole + 1, ///< 257
        TitleRole,                 ///< unchanged, may be empty
        AuthorRole,
        CoverRole,        ///< path of the cached cover
        DateRole,         ///< QDateTime: last view while showing recently read, else time added
        FormatRole,       ///< format code
        FormatNameRole,   ///< empty outside the known codes
        DeletedRole,      ///< bool
        FavoriteRole,     ///< bool
        DescriptionRole,  ///< metadata of kind description, read from the database
        FolderRole,       ///< folder of the book file
        FullPathRole,     ///< path of the book file
        LastViewTextRole, ///< last view as date text, empty when never read
        ProgressTextRole, ///< "on start", "finished" or "37%"
        CategoryRole,     ///< id of the custom category, 0 when none; read from the database
        TimeRole          ///< what DateRole shows as stored: seconds since 1970 (uint), 0 for never
    };

    static constexpr const char* MimeType = "application/tarnwick-lanternleaf-book_id-mime";

    explicit BookModel(QObject* parent = nullptr);
    ~BookModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    /// The ids of the indexes' books, each followed by "|" (not de-duplicated).
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    bool showsLastRead() const { return m_showLastRead; }

    /// Lower-case name of a format code; empty for an unknown code.
    static QString formatName(int format);
    /// "MMM d" for a date of the current year, "yyyy" for other years, empty
    /// for an invalid date.
    static QString dateText(const QDateTime& date);
    /// Clamped to 0..100: "on start", "finished" or "%1%".
    static QString progressText(int maxPosition);

signals:
    void restored();
    void removed();
    void deleted();
    void favorited();

public slots:
    /// Selects a general category or a format; an unknown value only clears
    /// the recently-read mode.
    void selectByCategory(BookCategory category);
    void selectByFolder(int folderId);
    void selectAll();
    void selectFavorits();
    void selectDeleted();
    void selectRecentlyRead();
    void selectLastAdded();
    void selectByFormat(int format);
    void searchBooks(const QString& text);

    bool moveToTrash(int bookID);
    bool restoreFromTrash(int bookID);
    bool deleteFromLibrary(int bookID);
    bool clearTrash();
    bool clearLibrary();
    bool restoreFromTrashAll();
    bool setFavorite(int bookID, bool favorite);
    /// Reloads one loaded record from the database and repaints its row; an
    /// id that is not loaded changes nothing.
    void refreshCache(int bookId);

private:
    void setRecords(QList<BookDto> records, bool showLastRead);
    const BookDto* record(const QModelIndex& index) const;
    QVariant displayValue(const BookDto& book, int column) const;
    uint selectedTime(const BookDto& book) const;

    QList<BookDto> m_records;
    bool m_showLastRead = false;
};
