#pragma once

#include <QMenu>
#include <QPersistentModelIndex>

class FolderModel;

/// The context menu of a book in the shelf or the table. Its entries depend
/// on the book: "Restore" and "Delete" for a book in the trash; otherwise
/// "Edit", the favourite toggle, "Move to" (one entry per custom category,
/// only when there are any), "Delete" and "Remove from category" (only for
/// a book in a category). The chosen entry emits its signal with the book's
/// index after the menu has closed.
class BookContextMenu : public QMenu
{
    Q_OBJECT
public:
    static constexpr int TitleWidth = 300;

    BookContextMenu(const QModelIndex& index, FolderModel* folders, QWidget* parent = nullptr);

signals:
    void read(const QModelIndex& index);
    void edit(const QModelIndex& index);
    void toFavorites(const QModelIndex& index);
    void fromFavorites(const QModelIndex& index);
    void remove(const QModelIndex& index);
    void properties(const QModelIndex& index);
    void toFolder(const QModelIndex& index, int categoryId);
    void restore(const QModelIndex& index);
    void deleteFromLibrary(const QModelIndex& index);
    void deleteFromCategory(const QModelIndex& index, int categoryId);

private:
    QAction* addEntry(const QString& text, const QString& name,
                      void (BookContextMenu::*signal)(const QModelIndex&));

    QPersistentModelIndex m_index;
};
