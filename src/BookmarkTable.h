#pragma once

#include <QTableView>

class BookmarkTableDelegate;

/// The bookmarks list: title with progress, page, and a trash icon to delete
/// (column widths: the rest, 86 and 35 pixels). Rows 34 pixels high, whole
/// rows selected, hover states repainted. Header "tocHeaderView", scroll bar
/// "tocScrollBar".
class BookmarkTable : public QTableView
{
    Q_OBJECT
public:
    static constexpr int PageColumnWidth = 86;
    static constexpr int DeleteColumnWidth = 35;
    /// The column of the trash icon.
    static constexpr int DeleteColumn = 2;

    explicit BookmarkTable(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    BookmarkTableDelegate* trashDelegate() const { return m_delegate; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    /// Also runs when the vertical scroll bar comes or goes.
    void updateGeometries() override;

private:
    void fitColumns();

    BookmarkTableDelegate* m_delegate = nullptr;
};
