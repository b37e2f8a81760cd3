#pragma once

#include <QFileInfoList>
#include <QTableView>

class QLabel;
class BooktableHeader;

/// The library as a table: title, author, progress, date and the favourite,
/// restore and trash marks. Title and author share the free width; the
/// other columns keep fixed widths. Files dropped on it are reported by
/// droppedFiles(); dragging books carries their ids to the category list.
class BookTable : public QTableView
{
    Q_OBJECT
public:
    static constexpr int ProgressWidth = 80;
    static constexpr int DateWidth = 60;
    static constexpr int MarkWidth = 35;
    static constexpr int DeleteWidth = 55;

    explicit BookTable(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    /// Shows text over the view (the empty-search message); an empty text hides it.
    void setEmptyText(const QString& text);
    QLabel* emptyLabel() const { return m_empty; }

signals:
    void droppedFiles(QFileInfoList files);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyWidths();

    BooktableHeader* m_header = nullptr;
    QLabel* m_empty = nullptr;
};
