#include "SearchModel.h"

SearchModel::SearchModel(QObject* parent) : QAbstractListModel(parent) {}

void SearchModel::setResults(const QList<SearchResult>& results)
{
    beginResetModel();
    m_results = results;
    endResetModel();
}

void SearchModel::appendResults(const QList<SearchResult>& results)
{
    if (results.isEmpty())
        return;
    beginInsertRows(QModelIndex(), m_results.size(), m_results.size() + results.size() - 1);
    m_results += results;
    endInsertRows();
}

QString SearchModel::caption(const SearchResult& result)
{
    if (!result.title.isEmpty())
        return tr("%1, Page %2").arg(result.title).arg(result.page);
    return tr("Page %1").arg(result.page);
}

int SearchModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_results.size();
}

QVariant SearchModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() != 0 || index.row() >= m_results.size())
        return {};
    const SearchResult& result = m_results.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
    case CaptionRole:
        return caption(result);
    case PositionRole:
        return result.position;
    case TextRole:
        return result.text;
    case PageRole:
        return result.page;
    case PageJumpRole:
        return result.isPageJump;
    default:
        return {};
    }
}

QVariant SearchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole)
        return tr("Results");
    return {};
}
