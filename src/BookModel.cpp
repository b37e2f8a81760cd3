#include "BookModel.h"

#include "BookFormat.h"

#include "BookProvider.h"
#include "Logger.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QMimeData>

Q_LOGGING_CATEGORY(lcBookModel, "lanternleaf.library.books")

namespace {
QDateTime fromSeconds(uint seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds);
}

// A stored time of 0 means "never" (a book not read yet), not 1970.
QString dateTextOf(uint seconds)
{
    return seconds == 0 ? QString() : BookModel::dateText(fromSeconds(seconds));
}
} // namespace

BookModel::BookModel(QObject* parent) : QAbstractTableModel(parent)
{
    qRegisterMetaType<BookCategory>("BookCategory");
}

BookModel::~BookModel() = default;

int BookModel::rowCount(const QModelIndex&) const
{
    return m_records.size();
}

int BookModel::columnCount(const QModelIndex&) const
{
    return ColumnCount;
}

QString BookModel::formatName(int format)
{
    // The table shows nothing, not "unknown", for a code outside the registry.
    if (!BookFormat::codes().contains(format))
        return QString();
    return BookFormat::formatName(format);
}

QString BookModel::dateText(const QDateTime& date)
{
    if (!date.isValid())
        return QString();
    const QDateTime local = date.toLocalTime();
    if (local.date().year() == QDate::currentDate().year())
        return QLocale().toString(local, QStringLiteral("MMM d"));
    return QLocale().toString(local, QStringLiteral("yyyy"));
}

QString BookModel::progressText(int maxPosition)
{
    const int progress = qBound(0, maxPosition, 100);
    if (progress == 0)
        return tr("on start");
    if (progress == 100)
        return tr("finished");
    return tr("%1%").arg(progress);
}

const BookDto* BookModel::record(const QModelIndex& index) const
{
    if (index.row() < 0 || index.column() < 0 || !index.model() || index.row() >= m_records.size())
        return nullptr;
    return &m_records.at(index.row());
}

uint BookModel::selectedTime(const BookDto& book) const
{
    return m_showLastRead ? book.time_last_view : book.time_added;
}

QVariant BookModel::displayValue(const BookDto& book, int column) const
{
    switch (column) {
    case ColumnTitle:
        //: The title of the book is empty
        return book.title.isEmpty() ? tr("Unknown", "book title") : book.title;
    case ColumnAuthor:
        //: The author of the book is empty
        return book.author.isEmpty() ? tr("Unknown", "book author") : book.author;
    case ColumnProgress:
        return qBound(0, book.max_position, 100);
    case ColumnFormat:
        return formatName(book.format);
    case ColumnDate:
        return dateTextOf(selectedTime(book));
    case ColumnFavorite:
        return book.is_favorite;
    case ColumnRestore:
        return book.author;
    case ColumnDelete:
        return book.is_deleted;
    default:
        return QVariant();
    }
}

QVariant BookModel::data(const QModelIndex& index, int role) const
{
    const BookDto* book = record(index);
    if (!book)
        return QVariant();

    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return displayValue(*book, index.column());
    case Qt::TextAlignmentRole:
        if (index.column() == ColumnFormat || index.column() == ColumnDate)
            return int(Qt::AlignCenter);
        return QVariant();
    case IdRole:
        return book->id;
    case TitleRole:
        return book->title;
    case AuthorRole:
        return book->author;
    case CoverRole:
        return book->cover;
    case DateRole:
        return fromSeconds(selectedTime(*book));
    case FormatRole:
        return book->format;
    case FormatNameRole:
        return formatName(book->format);
    case DeletedRole:
        return book->is_deleted == 1;
    case FavoriteRole:
        return book->is_favorite == 1;
    case DescriptionRole:
        return BookProvider::instance()->getMetaData(book->id, MetaDescription);
    case FolderRole:
        return QDir::toNativeSeparators(QFileInfo(book->full_path).path());
    case FullPathRole:
        return book->full_path;
    case LastViewTextRole:
        return dateTextOf(book->time_last_view);
    case ProgressTextRole:
        return progressText(book->max_position);
    case CategoryRole:
        return BookProvider::instance()->categoryOfBook(book->id);
    case TimeRole:
        return selectedTime(*book);
    default:
        return QVariant();
    }
}

QVariant BookModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::TextAlignmentRole) {
        if (section == ColumnProgress || section == ColumnFormat || section == ColumnDate)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case ColumnTitle:
        return tr("Title");
    case ColumnAuthor:
        return tr("Author");
    case ColumnProgress:
        return tr("Progress");
    case ColumnFormat:
        return tr("Format");
    case ColumnDate:
        return m_showLastRead ? tr("Date") : tr("Added on");
    default:
        return QVariant();
    }
}

Qt::ItemFlags BookModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    const BookDto* book = record(index);
    if (book && book->is_deleted != 1)
        result |= Qt::ItemIsDragEnabled;
    return result;
}

QMimeData* BookModel::mimeData(const QModelIndexList& indexes) const
{
    QString text;
    for (const QModelIndex& index : indexes) {
        if (index.row() < 0 || index.column() < 0 || !index.model())
            continue;
        text += QString::number(index.data(IdRole).toInt()) + QLatin1Char('|');
    }
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(MimeType), text.toUtf8());
    qCDebug(lcBookModel) << "mimeData" << text;
    return mime;
}

void BookModel::setRecords(QList<BookDto> records, bool showLastRead)
{
    beginResetModel();
    m_showLastRead = showLastRead;
    m_records.swap(records);
    endResetModel();
}

void BookModel::selectByCategory(BookCategory category)
{
    // The date column follows the list shown: only the recently-read list
    // shows last-view dates, however it was selected.
    const int value = int(category);
    switch (value) {
    case CategoryRecentlyRead:
        selectRecentlyRead();
        return;
    case CategoryLastAdded:
        selectLastAdded();
        return;
    case CategoryAll:
        selectAll();
        return;
    case CategoryFavorites:
        selectFavorits();
        return;
    case CategoryDeleted:
        selectDeleted();
        return;
    default:
        if (value >= CategoryFormatFirst && value <= CategoryFormatLast) {
            selectByFormat(value - CategoryFormatFirst);
        } else if (m_showLastRead) {
            m_showLastRead = false;
            emit headerDataChanged(Qt::Horizontal, ColumnDate, ColumnDate);
            if (!m_records.isEmpty())
                emit dataChanged(index(0, ColumnDate), index(m_records.size() - 1, ColumnDate));
        }
        return;
    }
}

void BookModel::selectByFolder(int folderId)
{
    setRecords(BookProvider::instance()->selectByFolder(folderId), false);
}

void BookModel::selectAll()
{
    setRecords(BookProvider::instance()->selectAll(), false);
}

void BookModel::selectFavorits()
{
    setRecords(BookProvider::instance()->selectFavorits(), false);
}

void BookModel::selectDeleted()
{
    setRecords(BookProvider::instance()->selectDeleted(), false);
}

void BookModel::selectRecentlyRead()
{
    setRecords(BookProvider::instance()->selectRecentlyRead(), true);
}

void BookModel::selectLastAdded()
{
    setRecords(BookProvider::instance()->selectLastAdded(), false);
}

void BookModel::selectByFormat(int format)
{
    setRecords(BookProvider::instance()->selectByFormat(format), false);
}

void BookModel::searchBooks(const QString& text)
{
    setRecords(BookProvider::instance()->searchBooks(text), false);
}

bool BookModel::moveToTrash(int bookID)
{
    const bool ok = BookProvider::instance()->setDeleted(bookID, 1);
    if (ok)
        emit removed();
    return ok;
}

bool BookModel::restoreFromTrash(int bookID)
{
    const bool ok = BookProvider::instance()->setDeleted(bookID, 0);
    if (ok)
        emit restored();
    return ok;
}

bool BookModel::deleteFromLibrary(int bookID)
{
    const bool ok = BookProvider::instance()->deleteFromLibrary(bookID);
    if (ok)
        emit deleted();
    return ok;
}

bool BookModel::clearTrash()
{
    const bool ok = BookProvider::instance()->emptyTrash();
    if (ok)
        emit deleted();
    return ok;
}

bool BookModel::clearLibrary()
{
    const bool ok = BookProvider::instance()->clearLibrary();
    if (ok)
        emit removed();
    else
        logError(QStringLiteral("Clear library error:%1").arg(BookProvider::instance()->lastError()));
    return ok;
}

bool BookModel::restoreFromTrashAll()
{
    const bool ok = BookProvider::instance()->restoreAll();
    if (ok)
        emit restored();
    return ok;
}

bool BookModel::setFavorite(int bookID, bool favorite)
{
    const bool ok = BookProvider::instance()->setFavorite(bookID, favorite ? 1 : 0);
    if (ok)
        emit favorited();
    return ok;
}

void BookModel::refreshCache(int bookId)
{
    int row = -1;
    for (int i = 0; i < m_records.size(); ++i) {
        if (m_records.at(i).id == bookId) {
            row = i;
            break;
        }
    }
    if (row < 0) {
        logDebug(QStringLiteral("Book not found in cache"));
        return;
    }
    const BookDto fresh = BookProvider::instance()->getBookById(bookId);
    if (fresh.id <= 0) {
        logDebug(QStringLiteral("Book not found in data base"));
        return;
    }
    m_records[row] = fresh;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}
