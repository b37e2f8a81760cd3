#pragma once

#include <QFileInfoList>
#include <QListView>

class QLabel;
class BookListViewDelegate;

/// The shelf: the books as covers in rows (icon mode). Files dropped on it
/// are reported by droppedFiles(); dragging books carries their ids to the
/// category list. A click on an item's star or trash mark reports
/// markClicked() with the table column of the same action (5 or 7).
class BookListView : public QListView
{
    Q_OBJECT
public:
    explicit BookListView(QWidget* parent = nullptr);

    /// Shows text over the view (the empty-search message); an empty text hides it.
    void setEmptyText(const QString& text);
    QLabel* emptyLabel() const { return m_empty; }
    BookListViewDelegate* bookDelegate() const { return m_delegate; }

signals:
    void droppedFiles(QFileInfoList files);
    void markClicked(const QModelIndex& index, int column);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    int markAt(const QPoint& pos, QModelIndex* index) const;

    BookListViewDelegate* m_delegate = nullptr;
    QLabel* m_empty = nullptr;
    QPersistentModelIndex m_pressedMark;
    int m_pressedColumn = -1;
};
