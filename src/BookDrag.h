#pragma once

#include <QFileInfoList>

class QAbstractItemView;
class QMimeData;

/// Drag and drop shared by the shelf and the table.
namespace BookDrag {
/// The local files of dropped URLs, unfiltered; empty without URLs.
QFileInfoList localFiles(const QMimeData* data);
/// Drags the view's selected books (the book model's drag data) with the
/// current book's cover, 192 pixels high, as the drag image.
void start(QAbstractItemView* view);
} // namespace BookDrag
