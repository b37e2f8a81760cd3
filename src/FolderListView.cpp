#include "FolderListView.h"

#include "BookModel.h"
#include "FolderDelegate.h"

#include <QDragEnterEvent>
#include <QLoggingCategory>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>
#include <QUrl>

Q_LOGGING_CATEGORY(lcFolderList, "lanternleaf.library.folderlist")

namespace {
bool carriesBooksOrFiles(const QMimeData* data)
{
    return data && (data->hasFormat(QStringLiteral("text/uri-list")) ||
                    data->hasFormat(QString::fromLatin1(BookModel::MimeType)));
}
} // namespace

FolderListView::FolderListView(QWidget* parent) : QListView(parent)
{
    setObjectName("folderListView");
    verticalScrollBar()->setObjectName("scrollBarListView");
    // The scroll area polished its bar while it was built; the new name
    // only reaches the style sheet after polishing it again.
    verticalScrollBar()->style()->unpolish(verticalScrollBar());
    verticalScrollBar()->style()->polish(verticalScrollBar());
    setItemDelegate(new FolderDelegate(this));
    setContextMenuPolicy(Qt::CustomContextMenu);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    // A drop anywhere on a row files the book there, never between rows.
    setDragDropOverwriteMode(true);
    setDefaultDropAction(Qt::CopyAction);
    setMouseTracking(true);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QWidget::customContextMenuRequested, this, &FolderListView::onRequestContextMenu);
}

QMenu* FolderListView::createContextMenu(const QModelIndex& index, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName("folderContextMenu");
    if (!index.isValid())
        return menu;
    const QPersistentModelIndex target(index);
    QAction* rename = menu->addAction(tr("Rename"));
    rename->setObjectName("actionRename");
    QAction* remove = menu->addAction(tr("Delete"));
    remove->setObjectName("actionDelete");
    connect(rename, &QAction::triggered, this, [this, target] {
        if (target.isValid())
            emit renameFolder(target);
    });
    connect(remove, &QAction::triggered, this, [this, target] {
        if (target.isValid())
            emit removeFolder(target);
    });
    return menu;
}

void FolderListView::onRequestContextMenu(const QPoint& pos)
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return;
    QMenu* menu = createContextMenu(index, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(viewport()->mapToGlobal(pos));
}

void FolderListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (carriesBooksOrFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FolderListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasFormat(QString::fromLatin1(BookModel::MimeType))) {
        QListView::dragMoveEvent(event);
        return;
    }
    if (carriesBooksOrFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FolderListView::dropEvent(QDropEvent* event)
{
    qCDebug(lcFolderList) << "drop" << event->mimeData()->formats();
    const QMimeData* data = event->mimeData();
    if (data->hasUrls()) {
        QStringList paths;
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile())
                paths << url.toLocalFile();
        }
        if (!paths.isEmpty())
            emit droppedFiles(paths);
    }
    QListView::dropEvent(event);
}
