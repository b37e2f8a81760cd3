#include "BookTableDelegate.h"

#include "BookModel.h"

#include <QApplication>
#include <QPainter>

BookTableDelegate::BookTableDelegate(QObject* parent) : QStyledItemDelegate(parent)
{
    m_rated.load(":/style/images/raterated.png");
    m_ratedHigh.load(":/style/images/rateratedhigh.png");
    m_unrated.load(":/style/images/rateunrated.png");
    m_unratedHigh.load(":/style/images/rateunratedhigh.png");
    m_unratedSelect.load(":/style/images/rateunratedselect.png");
    m_unratedSelectHigh.load(":/style/images/rateunratedselecthigh.png");
    m_trash.load(":/style/images/delete.png");
    m_trashHigh.load(":/style/images/deletehigh.png");
    m_trashSelect.load(":/style/images/deleteselect.png");
    m_trashSelectHigh.load(":/style/images/deleteselecthigh.png");
    m_restore.load(":/style/images/unerase.png");
}

void BookTableDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    const int column = index.column();
    if (column != BookModel::ColumnProgress && column != BookModel::ColumnFavorite &&
        column != BookModel::ColumnRestore && column != BookModel::ColumnDelete) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    // The cell's background (selection, hover) as the style draws it, without text.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.icon = QIcon();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

    const bool selected = option.state & QStyle::State_Selected;
    const bool high = option.state & QStyle::State_MouseOver;
    switch (column) {
    case BookModel::ColumnProgress:
        paintProgress(painter, option, index);
        break;
    case BookModel::ColumnFavorite:
        if (index.data(BookModel::FavoriteRole).toBool())
            paintMark(painter, option, high ? m_ratedHigh : m_rated);
        else
            paintMark(painter, option,
                      selected ? (high ? m_unratedSelectHigh : m_unratedSelect)
                               : (high ? m_unratedHigh : m_unrated));
        break;
    case BookModel::ColumnRestore:
        paintMark(painter, option, m_restore);
        break;
    case BookModel::ColumnDelete:
        paintMark(painter, option,
                  selected ? (high ? m_trashSelectHigh : m_trashSelect) : (high ? m_trashHigh : m_trash));
        break;
    default:
        break;
    }
}

void BookTableDelegate::paintMark(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QPixmap& pixmap) const
{
    const QSize size = pixmap.size() / pixmap.devicePixelRatio();
    const QPoint topLeft = option.rect.center() - QPoint(size.width() / 2, size.height() / 2) + QPoint(1, 1);
    painter->drawPixmap(QRect(topLeft, size), pixmap);
}

void BookTableDelegate::paintProgress(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    const int progress = qBound(0, index.data(Qt::DisplayRole).toInt(), 100);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF bar =
        QRectF(option.rect)
            .adjusted(8, option.rect.height() / 2.0 - 8, -8, -(option.rect.height() / 2.0 - 8));
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0xe9, 0xe6, 0xdf));
    painter->drawRoundedRect(bar, 8, 8);
    if (progress > 0) {
        QRectF filled = bar;
        filled.setWidth(qMax(bar.height(), bar.width() * progress / 100.0));
        painter->setBrush(progress >= 100 ? QColor(0x2e, 0x7d, 0x6b) : QColor(0xe8, 0xa1, 0x3a));
        painter->drawRoundedRect(filled, 8, 8);
    }
    QFont font = option.font;
    font.setPixelSize(11);
    painter->setFont(font);
    painter->setPen(progress >= 55 ? QColor(Qt::white) : QColor(0x3a, 0x3d, 0x42));
    painter->drawText(bar, Qt::AlignCenter, index.data(BookModel::ProgressTextRole).toString());
    painter->restore();
}
