#pragma once

#include <QStyledItemDelegate>

/// Rows of the contents tree: the standard painting, 34 pixels high and as
/// wide as the view offers.
class TocTreeViewDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int RowHeight = 34;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
