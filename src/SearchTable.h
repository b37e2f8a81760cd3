#pragma once

#include <QTableView>

/// The list of search results: one column under the header "Results", rows
/// of one height drawn by SearchTableDelegate, whole rows selected, the row
/// under the pointer highlighted. Scroll bar "searchTableScrollbar".
class SearchTable : public QTableView
{
    Q_OBJECT
public:
    explicit SearchTable(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void fitRowHeight();
};
