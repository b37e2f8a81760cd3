#include "TocModel.h"

#include "Limits.h"

#include <QFont>

TocModel::TocModel(QObject* parent) : QAbstractItemModel(parent) {}

TocModel::~TocModel() = default;

void TocModel::setToc(const QList<TocPoint>& points)
{
    beginResetModel();
    m_current = nullptr;
    m_root = std::make_unique<Node>();
    for (const TocPoint& point : points)
        addPoint(m_root.get(), point, 1);
    endResetModel();
}

void TocModel::addPoint(Node* parent, const TocPoint& point, int depth)
{
    auto node = std::make_unique<Node>();
    node->title = point.title;
    node->position = point.position;
    node->page = point.page;
    node->parent = parent;
    node->row = int(parent->children.size());
    Node* added = node.get();
    parent->children.push_back(std::move(node));
    // Past the deepest level the entries stay in reading order as siblings.
    Node* childParent = depth < Limits::maxTocDepth ? added : parent;
    const int childDepth = depth < Limits::maxTocDepth ? depth + 1 : depth;
    for (const TocPoint& child : point.children)
        addPoint(childParent, child, childDepth);
}

TocModel::Node* TocModel::nodeOf(const QModelIndex& index) const
{
    if (!index.isValid())
        return m_root.get();
    return static_cast<Node*>(index.internalPointer());
}

QModelIndex TocModel::indexOf(const Node* node, int column) const
{
    if (!node || node == m_root.get())
        return {};
    return createIndex(node->row, column, const_cast<Node*>(node));
}

QModelIndex TocModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!m_root || row < 0 || column < 0 || column > 1)
        return {};
    if (parent.isValid() && parent.column() != 0)
        return {};
    const Node* node = nodeOf(parent);
    if (row >= int(node->children.size()))
        return {};
    return createIndex(row, column, node->children[size_t(row)].get());
}

QModelIndex TocModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    const Node* node = nodeOf(index);
    return indexOf(node->parent, 0);
}

int TocModel::rowCount(const QModelIndex& parent) const
{
    if (!m_root || (parent.isValid() && parent.column() != 0))
        return 0;
    return int(nodeOf(parent)->children.size());
}

int TocModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() && parent.column() != 0 ? 0 : 2;
}

QVariant TocModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const Node* node = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.column() == 0)
            return node->title;
        return node->page;
    case PositionRole:
        return node->position;
    case Qt::TextAlignmentRole:
        return index.column() == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter) : int(Qt::AlignCenter);
    case Qt::FontRole:
        if (node == m_current) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    default:
        return {};
    }
}

QVariant TocModel::headerData(int section, Qt::Orientation orientation, int role) const
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

Qt::ItemFlags TocModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

TocModel::Node* TocModel::lastStartingBefore(Node* node, int position, Node* best)
{
    // Entries are in reading order depth first; a book's positions grow along
    // that order, but a damaged outline may not, so every entry is looked at.
    for (const auto& child : node->children) {
        if (child->position <= position && (!best || child->position >= best->position))
            best = child.get();
        best = lastStartingBefore(child.get(), position, best);
    }
    return best;
}

QModelIndex TocModel::setCurrentPosition(int position)
{
    Node* old = m_current;
    m_current = m_root ? lastStartingBefore(m_root.get(), position, nullptr) : nullptr;
    if (old != m_current) {
        if (old)
            emit dataChanged(indexOf(old, 0), indexOf(old, 0), {Qt::FontRole});
        if (m_current)
            emit dataChanged(indexOf(m_current, 0), indexOf(m_current, 0), {Qt::FontRole});
    }
    return indexOf(m_current, 0);
}

QModelIndex TocModel::currentEntry() const
{
    return indexOf(m_current, 0);
}
