#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

/// Paints the table's special columns: the reading progress as a bar with
/// its text, the favourite star (column 5), the restore mark (column 6) and
/// the trash mark (column 7); the marks light up under the mouse. Other
/// columns are painted as usual.
class BookTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit BookTableDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    void paintProgress(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void paintMark(QPainter* painter, const QStyleOptionViewItem& option, const QPixmap& pixmap) const;

    QPixmap m_rated, m_ratedHigh, m_unrated, m_unratedHigh, m_unratedSelect, m_unratedSelectHigh;
    QPixmap m_trash, m_trashHigh, m_trashSelect, m_trashSelectHigh, m_restore;
};
