#pragma once

#include <QFileInfoList>

class QAbstractItemView;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;

/// Drag and drop shared by the shelf and the table.
namespace BookDrag {
/// The local files of dropped URLs, unfiltered; empty without URLs.
QFileInfoList localFiles(const QMimeData* data);
/// Accepts a drag that carries file URLs, ignores any other (enter and move).
void acceptFileDrag(QDragMoveEvent* event);
/// The dropped local files; accepts the drop when there are any, ignores it
/// otherwise.
QFileInfoList takeDroppedFiles(QDropEvent* event);
/// Drags the view's selected books (the book model's drag data) with the
/// current book's cover, 192 pixels high, as the drag image.
void start(QAbstractItemView* view);
} // namespace BookDrag
