#pragma once

#include "IDocument.h"

#include <QAbstractItemModel>
#include <memory>
#include <vector>

/// The table of contents of the open book as a two-column tree: column 0 the
/// chapter title, column 1 its page. Role PositionRole (257) of either column
/// is the entry's position, the place to move the book to.
///
/// The entry that holds the reader's place can be marked (setCurrentPosition):
/// its title is drawn bold. GUI thread only.
class TocModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Roles
    {
        PositionRole = Qt::UserRole + 1
    };

    explicit TocModel(QObject* parent = nullptr);
    ~TocModel() override;

    /// Replaces the whole tree (levels and order as given).
    void setToc(const QList<TocPoint>& points);
    /// Marks the entry whose range holds `position`: the last entry, in
    /// reading order, that starts at or before it. Returns its index (column
    /// 0), invalid when no entry starts that early.
    QModelIndex setCurrentPosition(int position);
    /// The marked entry (column 0); invalid when none.
    QModelIndex currentEntry() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Node
    {
        QString title;
        int position = 0;
        int page = 0;
        Node* parent = nullptr;
        std::vector<std::unique_ptr<Node>> children;
        int row = 0; ///< index within the parent's children
    };

    static void addPoint(Node* parent, const TocPoint& point, int depth);
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const Node* node, int column = 0) const;
    static Node* lastStartingBefore(Node* node, int position, Node* best);

    std::unique_ptr<Node> m_root;
    Node* m_current = nullptr;
};
