#include "TocTreeViewDelegate.h"

QSize TocTreeViewDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Q_UNUSED(index)
    return QSize(option.rect.width(), RowHeight);
}
