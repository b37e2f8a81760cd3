#include "BookContextMenu.h"

#include "BookModel.h"
#include "FolderModel.h"

BookContextMenu::BookContextMenu(const QModelIndex& index, FolderModel* folders, QWidget* parent)
    : QMenu(parent), m_index(index)
{
    setObjectName("bookContextMenu");
    if (!index.isValid())
        return;

    QString title = index.data(BookModel::TitleRole).toString();
    if (title.isEmpty())
        title = index.sibling(index.row(), BookModel::ColumnTitle).data().toString();
    // A menu text reads "&" as a shortcut mark; titles and names are shown as they are.
    auto plain = [](QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); };
    addEntry(tr("Read %1").arg(plain(fontMetrics().elidedText(title, Qt::ElideRight, TitleWidth))),
             "actionRead", &BookContextMenu::read);
    addSeparator();

    if (index.data(BookModel::DeletedRole).toBool()) {
        addEntry(tr("Restore"), "actionRestore", &BookContextMenu::restore);
        //: delete from library
        addEntry(tr("Delete"), "actionDeleteFromLibrary", &BookContextMenu::deleteFromLibrary);
    } else {
        addEntry(tr("Edit"), "actionEdit", &BookContextMenu::edit);
        if (index.data(BookModel::FavoriteRole).toBool())
            addEntry(tr("Remove from Favorites"), "actionFromFavorites", &BookContextMenu::fromFavorites);
        else
            addEntry(tr("Add to Favorites"), "actionToFavorites", &BookContextMenu::toFavorites);

        if (folders && folders->rowCount() > 0) {
            QMenu* moveTo = addMenu(tr("Move to"));
            moveTo->setObjectName("menuMoveTo");
            for (const CategoryDto& category : folders->categories()) {
                QAction* action = moveTo->addAction(plain(category.title.trimmed()));
                action->setData(category.id);
                const int id = category.id;
                connect(action, &QAction::triggered, this, [this, id] { emit toFolder(m_index, id); });
            }
        }
        //: delete to trash
        addEntry(tr("Delete"), "actionRemove", &BookContextMenu::remove);

        const int categoryId = index.data(BookModel::CategoryRole).toInt();
        if (categoryId > 0) {
            QAction* action = addAction(tr("Remove from category"));
            action->setObjectName("actionRemoveFromCategory");
            action->setData(categoryId);
            connect(action, &QAction::triggered, this,
                    [this, categoryId] { emit deleteFromCategory(m_index, categoryId); });
        }
    }
    addSeparator();
    addEntry(tr("Properties..."), "actionProperties", &BookContextMenu::properties);
}

QAction* BookContextMenu::addEntry(const QString& text, const QString& name,
                                   void (BookContextMenu::*signal)(const QModelIndex&))
{
    QAction* action = addAction(text);
    action->setObjectName(name);
    // QMenu hides itself before it triggers an action, so the signal is
    // emitted with the menu already closed.
    connect(action, &QAction::triggered, this, [this, signal] { emit(this->*signal)(m_index); });
    return action;
}
