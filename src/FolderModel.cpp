#include "FolderModel.h"

#include "BookModel.h"
#include "BookProvider.h"

#include <QLoggingCategory>
#include <QMimeData>

Q_LOGGING_CATEGORY(lcFolderModel, "lanternleaf.library.folders")

FolderModel::FolderModel(QObject* parent) : QAbstractTableModel(parent) {}

int FolderModel::rowCount(const QModelIndex&) const
{
    return m_categories.size();
}

int FolderModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool FolderModel::validRow(const QModelIndex& index) const
{
    return index.row() >= 0 && index.column() >= 0 && index.model() && index.row() < m_categories.size();
}

QVariant FolderModel::data(const QModelIndex& index, int role) const
{
    if (!validRow(index))
        return QVariant();
    const CategoryDto& category = m_categories.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return category.title.trimmed();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case IdRole:
        return category.id;
    case TitleRole:
        return category.title;
    case ParentIdRole:
        return category.parent_id;
    case BookCountRole:
        return category.book_count;
    default:
        return QVariant();
    }
}

bool FolderModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !validRow(index))
        return false;
    const int id = m_categories.at(index.row()).id;
    const QString title = value.toString().trimmed();
    const int row = rowOfCategory(id);
    if (title.isEmpty() || row < 0 || m_categories.at(row).title == title)
        return false;
    // Titles are unique in the database: a taken one fails here.
    if (!BookProvider::instance()->renameCategory(id, title))
        return false;
    m_categories[row].title = title;
    emit dataChanged(this->index(row, 0), this->index(row, 0));
    return true;
}

Qt::ItemFlags FolderModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index) | Qt::ItemIsDropEnabled;
    if (index.isValid())
        result |= Qt::ItemIsEditable;
    return result;
}

QStringList FolderModel::mimeTypes() const
{
    return {QString::fromLatin1(BookModel::MimeType)};
}

Qt::DropActions FolderModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

bool FolderModel::dropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex& parent)
{
    qCDebug(lcFolderModel) << "[DROP]" << Q_FUNC_INFO;
    const QString type = QString::fromLatin1(BookModel::MimeType);
    if (!data || !data->hasFormat(type))
        return false;
    const QStringList ids = QString::fromUtf8(data->data(type)).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    if (ids.isEmpty())
        return false;
    bool isNumber = false;
    const int bookId = ids.first().toInt(&isNumber);
    // Only a drop onto a row names a category; between or below rows it does not.
    if (!isNumber || bookId <= 0 || !validRow(parent))
        return false;
    addToCategory(bookId, m_categories.at(parent.row()).id);
    return true;
}

int FolderModel::rowOfCategory(int categoryId) const
{
    for (int row = 0; row < m_categories.size(); ++row) {
        if (m_categories.at(row).id == categoryId)
            return row;
    }
    return -1;
}

QModelIndex FolderModel::categoryIndex(int categoryId) const
{
    const int row = rowOfCategory(categoryId);
    return row < 0 ? QModelIndex() : index(row, 0);
}

void FolderModel::addNewCategory()
{
    const QString base = tr("New category");
    auto taken = [this](const QString& title) {
        for (const CategoryDto& category : qAsConst(m_categories)) {
            if (category.title == title)
                return true;
        }
        return false;
    };
    QString title = base;
    for (int n = 1; taken(title); ++n)
        title = QStringLiteral("%1 (%2)").arg(base).arg(n);

    const int id = BookProvider::instance()->addCategory(title, 0);
    if (id == -1)
        return;
    CategoryDto category;
    category.id = id;
    category.parent_id = 0;
    category.title = title;
    category.book_count = 0;
    beginResetModel();
    m_categories.append(category);
    endResetModel();
    emit inserted();
}

void FolderModel::selectAll()
{
    QList<CategoryDto> categories = BookProvider::instance()->allCategories();
    beginResetModel();
    m_categories.swap(categories);
    endResetModel();
}

void FolderModel::updateData()
{
    QList<CategoryDto> categories = BookProvider::instance()->allCategories();
    bool sameRows = categories.size() == m_categories.size();
    for (int row = 0; sameRows && row < categories.size(); ++row)
        sameRows = categories.at(row).id == m_categories.at(row).id;
    // Without a reset a view would keep rows that no longer exist.
    if (!sameRows) {
        beginResetModel();
        m_categories.swap(categories);
        endResetModel();
        return;
    }
    m_categories.swap(categories);
    if (!m_categories.isEmpty())
        emit dataChanged(index(0, 0), index(m_categories.size() - 1, 0));
}

void FolderModel::addToCategory(int bookId, int folderId)
{
    BookProvider::instance()->addBookToCategory(bookId, folderId);
    updateData();
    emit added();
}

void FolderModel::removeFromCategory(int bookId, int categoryId)
{
    BookProvider::instance()->removeBookFromCategory(bookId, categoryId);
    updateData();
    emit added();
}

void FolderModel::remove(int folderId)
{
    BookProvider::instance()->removeCategory(folderId);
    updateData();
}
