#pragma once

#include <QDialog>
#include <QPersistentModelIndex>

class QLabel;
class QPushButton;

/// The modal properties box of one book: cover, title, author, format, last
/// opening, the folder of the file (a link that shows the file in the file
/// manager) and the description. Closed with "Edit" it is accepted (the
/// library then opens the edit page); "CLOSE", Escape and the title bar's
/// close leave it rejected. Frameless; dragged by the mouse anywhere.
class BookPropertiesView : public QDialog
{
    Q_OBJECT
public:
    explicit BookPropertiesView(const QModelIndex& index, QWidget* parent = nullptr);

    int bookId() const;

private slots:
    void onOpenFolder();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* addValue(class QGridLayout* grid, int row, const QString& caption, const QString& value);

    QPersistentModelIndex m_index;
    QPoint m_pressOffset;
    bool m_dragging = false;
};
