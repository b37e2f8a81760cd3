#include "BookmarkTableDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

QString BookmarkTableDelegate::iconFor(QStyle::State state) const
{
    int key = Normal;
    if (state & QStyle::State_Selected)
        key |= Selected;
    if (state & QStyle::State_MouseOver)
        key |= Hover;
    return m_icons.value(key);
}

void BookmarkTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    if (index.column() != DeleteColumn) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    if (option.state & QStyle::State_Selected) {
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    }
    const QString path = iconFor(option.state);
    QPixmap pixmap;
    if (!path.isEmpty() && !QPixmapCache::find(path, &pixmap)) {
        pixmap.load(path);
        QPixmapCache::insert(path, pixmap);
    }
    if (!pixmap.isNull()) {
        QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        style->drawItemPixmap(painter, option.rect, Qt::AlignCenter, pixmap);
    }
    painter->restore();
}
