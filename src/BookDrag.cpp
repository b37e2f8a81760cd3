#include "BookDrag.h"

#include "BookModel.h"

#include <QAbstractItemView>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QUrl>

QFileInfoList BookDrag::localFiles(const QMimeData* data)
{
    QFileInfoList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << QFileInfo(url.toLocalFile());
    }
    return files;
}

void BookDrag::start(QAbstractItemView* view)
{
    QAbstractItemModel* model = view->model();
    if (!model || !view->selectionModel())
        return;
    QModelIndexList indexes;
    const QModelIndexList selected = view->selectionModel()->selectedIndexes();
    for (const QModelIndex& index : selected) {
        if (model->flags(index) & Qt::ItemIsDragEnabled)
            indexes << index;
    }
    if (indexes.isEmpty())
        return;
    QMimeData* data = model->mimeData(indexes);
    if (!data)
        return;
    auto* drag = new QDrag(view);
    drag->setMimeData(data);
    const QModelIndex current = view->currentIndex().isValid() ? view->currentIndex() : indexes.first();
    const QString cover = current.data(BookModel::CoverRole).toString();
    if (!cover.isEmpty() && QFileInfo::exists(cover)) {
        const QPixmap pixmap = QPixmap(cover).scaledToHeight(192, Qt::SmoothTransformation);
        if (!pixmap.isNull()) {
            drag->setPixmap(pixmap);
            drag->setHotSpot(QPoint(pixmap.width() / 2, pixmap.height() / 2));
        }
    }
    // Filing a book into a category copies nothing and removes nothing here.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

void BookDrag::acceptFileDrag(QDragMoveEvent* event)
{
    if (event->mimeData()->hasFormat(QStringLiteral("text/uri-list")))
        event->acceptProposedAction();
    else
        event->ignore();
}

QFileInfoList BookDrag::takeDroppedFiles(QDropEvent* event)
{
    const QFileInfoList files = localFiles(event->mimeData());
    if (files.isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
    return files;
}
