#pragma once

#include <QTreeView>

/// The contents tree: chapter titles and pages, rows 34 pixels high, the page
/// column 54 pixels wide and the titles taking the rest of the width (never a
/// horizontal scroll bar). Header "tocHeaderView", scroll bar "tocScrollBar".
class TocTreeView : public QTreeView
{
    Q_OBJECT
public:
    static constexpr int PageColumnWidth = 54;

    explicit TocTreeView(QWidget* parent = nullptr);

    /// Makes `index` current and selected, opens its parents and scrolls it
    /// into the middle of the view; nothing for an invalid index.
    void showEntry(const QModelIndex& index);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    /// Also runs when the vertical scroll bar comes or goes.
    void updateGeometries() override;

private:
    void fitColumns();
};
