#include "BookSortFilterModel.h"

#include "BookModel.h"

namespace {
bool isNumberColumn(int column)
{
    return column == BookModel::ColumnDate || column == BookModel::ColumnProgress ||
           column == BookModel::ColumnFavorite || column == BookModel::ColumnDelete;
}

bool isTextColumn(int column)
{
    return column == BookModel::ColumnTitle || column == BookModel::ColumnAuthor;
}
} // namespace

BookSortFilterModel::BookSortFilterModel(QObject* parent) : QSortFilterProxyModel(parent) {}

void BookSortFilterModel::setSourceModel(QAbstractItemModel* source)
{
    for (const QMetaObject::Connection& connection : qAsConst(m_sourceConnections))
        disconnect(connection);
    m_sourceConnections.clear();
    dropKeys();
    // Connected before the base class connects: the keys must be gone (or
    // refreshed) before it re-sorts on the same signal.
    if (source) {
        using Model = QAbstractItemModel;
        auto drop = [this] { dropKeys(); };
        m_sourceConnections << connect(source, &Model::modelAboutToBeReset, this, drop)
                            << connect(source, &Model::modelReset, this, drop)
                            << connect(source, &Model::layoutAboutToBeChanged, this, drop)
                            << connect(source, &Model::layoutChanged, this, drop)
                            << connect(source, &Model::rowsAboutToBeInserted, this, drop)
                            << connect(source, &Model::rowsInserted, this, drop)
                            << connect(source, &Model::rowsAboutToBeRemoved, this, drop)
                            << connect(source, &Model::rowsRemoved, this, drop)
                            << connect(source, &Model::rowsMoved, this, drop)
                            << connect(source, &Model::dataChanged, this, &BookSortFilterModel::refreshRows);
    }
    QSortFilterProxyModel::setSourceModel(source);
}

void BookSortFilterModel::dropKeys()
{
    m_keyColumn = -1;
    m_numbers.clear();
    m_texts.clear();
    m_haveSearchTexts = false;
    m_titles.clear();
    m_authors.clear();
}

void BookSortFilterModel::refreshRows(const QModelIndex& topLeft, const QModelIndex& bottomRight)
{
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    const int first = qMax(0, topLeft.row());
    const int last = qMin(rows - 1, bottomRight.row());
    for (int row = first; row <= last; ++row) {
        if (m_keyColumn >= 0 && row < qMax(m_numbers.size(), m_texts.size()))
            readSortKey(row, m_keyColumn);
        if (m_haveSearchTexts && row < m_titles.size()) {
            m_titles[row] = sourceModel()->index(row, BookModel::ColumnTitle).data().toString();
            m_authors[row] = sourceModel()->index(row, BookModel::ColumnAuthor).data().toString();
        }
    }
}

void BookSortFilterModel::readSortKey(int row, int column) const
{
    const QAbstractItemModel* source = sourceModel();
    if (column == BookModel::ColumnDate)
        m_numbers[row] = source->index(row, column).data(BookModel::TimeRole).toLongLong();
    else if (isNumberColumn(column))
        m_numbers[row] = source->index(row, column).data().toLongLong();
    else
        m_texts[row] = source->index(row, column).data().toString();
}

bool BookSortFilterModel::ensureSortKeys(int column) const
{
    if (!isNumberColumn(column) && !isTextColumn(column))
        return false;
    const QAbstractItemModel* source = sourceModel();
    const int rows = source ? source->rowCount() : 0;
    if (m_keyColumn == column && qMax(m_numbers.size(), m_texts.size()) == rows)
        return true;
    m_keyColumn = column;
    m_numbers.clear();
    m_texts.clear();
    if (isNumberColumn(column))
        m_numbers.resize(rows);
    else
        m_texts.resize(rows);
    for (int row = 0; row < rows; ++row)
        readSortKey(row, column);
    return true;
}

void BookSortFilterModel::ensureSearchTexts() const
{
    const QAbstractItemModel* source = sourceModel();
    const int rows = source ? source->rowCount() : 0;
    if (m_haveSearchTexts && m_titles.size() == rows)
        return;
    m_titles.resize(rows);
    m_authors.resize(rows);
    for (int row = 0; row < rows; ++row) {
        m_titles[row] = source->index(row, BookModel::ColumnTitle).data().toString();
        m_authors[row] = source->index(row, BookModel::ColumnAuthor).data().toString();
    }
    m_haveSearchTexts = true;
}

bool BookSortFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    // The pattern is what the user typed into the search field; read as a
    // regular expression, ordinary titles such as "C++" would match nothing.
    const QString text = filterRegExp().pattern();
    if (text.isEmpty())
        return true;
    if (!sourceModel() || sourceParent.isValid())
        return true;
    ensureSearchTexts();
    if (sourceRow < 0 || sourceRow >= m_titles.size())
        return false;
    return m_titles.at(sourceRow).contains(text, Qt::CaseInsensitive) ||
           m_authors.at(sourceRow).contains(text, Qt::CaseInsensitive);
}

bool BookSortFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const int column = left.column();
    if (!ensureSortKeys(column))
        return QSortFilterProxyModel::lessThan(left, right);
    const int l = left.row();
    const int r = right.row();
    // Seconds since 1970 order exactly as the date-times made from them do.
    if (isNumberColumn(column))
        return m_numbers.at(l) < m_numbers.at(r);
    return QString::localeAwareCompare(m_texts.at(l), m_texts.at(r)) < 0;
}
