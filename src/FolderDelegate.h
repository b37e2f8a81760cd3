#pragma once

#include <QItemDelegate>
#include <QPixmap>

/// Paints one custom category as a 27-pixel row: a folder image (open when
/// selected), "title (count)", the highlight behind a selected row. Edits the
/// name in place with a FolderEditor.
class FolderDelegate : public QItemDelegate
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 27;

    explicit FolderDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

public slots:
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void commitAndCloseEditor();

private:
    QPixmap m_folder;
    QPixmap m_folderOpen;
};
