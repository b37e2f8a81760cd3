#include "BookmarkModel.h"

#include "BookProvider.h"
#include "IDocument.h"

BookmarkModel::BookmarkModel(QObject* parent) : QAbstractListModel(parent) {}

BookmarkModel::~BookmarkModel() = default;

BookmarkModel::Record BookmarkModel::makeRecord(const BookmarkDto& bookmark, const IDocument* document)
{
    Record record;
    record.id = bookmark.id;
    // Positions are stored as reals; the place is the character (or page) it
    // starts in, never the next one.
    record.position = bookmark.position > 0 ? int(bookmark.position) : 0;
    if (document) {
        record.title = document->chapterTitle(record.position);
        record.page = document->calcPageByPosition(record.position);
        record.progress = document->calcProgressByPage(record.page);
    }
    return record;
}

void BookmarkModel::setBookmarks(const QList<BookmarkDto>& bookmarks, const IDocument* document)
{
    beginResetModel();
    m_records.clear();
    m_records.reserve(bookmarks.size());
    for (const BookmarkDto& bookmark : bookmarks)
        m_records << makeRecord(bookmark, document);
    endResetModel();
}

bool BookmarkModel::removeBookmark(int row)
{
    if (row < 0 || row >= m_records.size())
        return false;
    // The database first: a row that stays in the library must stay listed.
    // (The provider logs its own failures.)
    if (!BookProvider::instance()->removeBookmark(m_records.at(row).id))
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_records.removeAt(row);
    endRemoveRows();
    return true;
}

BookmarkModel::Record BookmarkModel::record(int row) const
{
    return row >= 0 && row < m_records.size() ? m_records.at(row) : Record();
}

int BookmarkModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_records.size();
}

int BookmarkModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant BookmarkModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    const Record& record = m_records.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.column() == 0)
            return QStringLiteral("%1 (%2%)").arg(record.title).arg(record.progress);
        if (index.column() == 1)
            return record.page;
        return {};
    case PositionRole:
        return record.position;
    case Qt::TextAlignmentRole:
        if (index.column() == 1)
            return int(Qt::AlignCenter);
        return {};
    default:
        return {};
    }
}

QVariant BookmarkModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole) {
        if (section == 0)
            return tr("Chapter title");
        if (section == 1)
            return tr("Page");
        return {};
    }
    if (role == Qt::TextAlignmentRole)
        return section == 1 ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}
