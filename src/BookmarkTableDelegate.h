#pragma once

#include <QMap>
#include <QStyledItemDelegate>

/// Paints the delete mark of the bookmarks table (column 2): one of four trash
/// icons by state, over the selection colour when the row is selected. The
/// icon paths are properties so the table (or a style sheet) can set them.
/// Other columns are painted the standard way.
class BookmarkTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
    Q_PROPERTY(QString trash READ trash WRITE setTrash)
    Q_PROPERTY(QString trashHigh READ trashHigh WRITE setTrashHigh)
    Q_PROPERTY(QString trashSelect READ trashSelect WRITE setTrashSelect)
    Q_PROPERTY(QString trashSelectHigh READ trashSelectHigh WRITE setTrashSelectHigh)
public:
    /// State keys: selected adds 0x01, under the mouse adds 0x10.
    enum StateKey
    {
        Normal = 0x00,
        Selected = 0x01,
        Hover = 0x10,
        SelectedHover = 0x11
    };
    static constexpr int DeleteColumn = 2;

    using QStyledItemDelegate::QStyledItemDelegate;

    QString trash() const { return m_icons.value(Normal); }
    void setTrash(const QString& path) { m_icons[Normal] = path; }
    QString trashHigh() const { return m_icons.value(Hover); }
    void setTrashHigh(const QString& path) { m_icons[Hover] = path; }
    QString trashSelect() const { return m_icons.value(Selected); }
    void setTrashSelect(const QString& path) { m_icons[Selected] = path; }
    QString trashSelectHigh() const { return m_icons.value(SelectedHover); }
    void setTrashSelectHigh(const QString& path) { m_icons[SelectedHover] = path; }

    /// The icon path for a view item state.
    QString iconFor(QStyle::State state) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QMap<int, QString> m_icons;
};
