#pragma once

#include <QStyledItemDelegate>

/// Draws the items of the settings page's combo boxes without a focus frame.
/// GUI thread only.
class ComboBoxItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
