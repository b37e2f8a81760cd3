#pragma once

#include <QListView>
#include <QStringList>

/// The list of custom categories under the general ones. Books dragged from
/// the shelf or the table are dropped onto a category (the model files
/// them); the context menu of a category offers "Rename" and "Delete".
class FolderListView : public QListView
{
    Q_OBJECT
public:
    explicit FolderListView(QWidget* parent = nullptr);

    /// Builds the context menu of the category at index (empty for none).
    QMenu* createContextMenu(const QModelIndex& index, QWidget* parent);

signals:
    void droppedFiles(QStringList files);
    void openFolder(const QModelIndex& index);
    void renameFolder(const QModelIndex& index);
    void removeFolder(const QModelIndex& index);

public slots:
    void onRequestContextMenu(const QPoint& pos);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
