#include "BookListView.h"

#include "BookDrag.h"
#include "BookListViewDelegate.h"
#include "BookModel.h"
#include "CoverLoader.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMimeData>
#include <QScrollBar>
#include <QStyle>

Q_LOGGING_CATEGORY(lcBookListView, "lanternleaf.library.shelf")

BookListView::BookListView(QWidget* parent) : QListView(parent)
{
    setObjectName("bookListView");
    verticalScrollBar()->setObjectName("scrollBarListView");
    // The scroll area polished its bar while it was built; the new name
    // only reaches the style sheet after polishing it again.
    verticalScrollBar()->style()->unpolish(verticalScrollBar());
    verticalScrollBar()->style()->polish(verticalScrollBar());
    setViewMode(QListView::IconMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    // Static: books keep their places; a drag only files them into categories.
    setMovement(QListView::Static);
    setSpacing(20);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(200);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMouseTracking(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(24);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDragEnabled(true);
    setDropIndicatorShown(true);
    setAcceptDrops(true);
    setContextMenuPolicy(Qt::CustomContextMenu);

    m_delegate = new BookListViewDelegate(this);
    setItemDelegate(m_delegate);
    // Updates arriving together are painted together.
    connect(m_delegate->loader(), &CoverLoader::coverReady, viewport(), [this] { viewport()->update(); });

    m_empty = new QLabel(viewport());
    m_empty->setObjectName("labelEmptySearch");
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    m_empty->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_empty->hide();
}

void BookListView::setEmptyText(const QString& text)
{
    m_empty->setText(text);
    m_empty->setGeometry(viewport()->rect());
    m_empty->setVisible(!text.isEmpty());
}

void BookListView::resizeEvent(QResizeEvent* event)
{
    QListView::resizeEvent(event);
    m_empty->setGeometry(viewport()->rect());
}

void BookListView::dragEnterEvent(QDragEnterEvent* event)
{
    BookDrag::acceptFileDrag(event);
}

void BookListView::dragMoveEvent(QDragMoveEvent* event)
{
    BookDrag::acceptFileDrag(event);
}

void BookListView::dropEvent(QDropEvent* event)
{
    qCDebug(lcBookListView) << "drop" << event->mimeData()->formats();
    const QFileInfoList files = BookDrag::takeDroppedFiles(event);
    if (!files.isEmpty())
        emit droppedFiles(files);
}

void BookListView::startDrag(Qt::DropActions)
{
    BookDrag::start(this);
}

int BookListView::markAt(const QPoint& pos, QModelIndex* index) const
{
    const QModelIndex hit = indexAt(pos);
    if (!hit.isValid())
        return -1;
    const QRect item = visualRect(hit);
    *index = hit;
    if (BookListViewDelegate::trashRect(item).contains(pos))
        return BookModel::ColumnDelete;
    if (!hit.data(BookModel::DeletedRole).toBool() && BookListViewDelegate::starRect(item).contains(pos))
        return BookModel::ColumnFavorite;
    return -1;
}

void BookListView::mousePressEvent(QMouseEvent* event)
{
    QModelIndex index;
    m_pressedColumn = event->button() == Qt::LeftButton ? markAt(event->pos(), &index) : -1;
    m_pressedMark = index;
    QListView::mousePressEvent(event);
}

void BookListView::mouseReleaseEvent(QMouseEvent* event)
{
    QListView::mouseReleaseEvent(event);
    QModelIndex index;
    const int column = event->button() == Qt::LeftButton ? markAt(event->pos(), &index) : -1;
    const bool sameMark = column >= 0 && column == m_pressedColumn && index == m_pressedMark;
    m_pressedColumn = -1;
    m_pressedMark = QModelIndex();
    if (sameMark)
        emit markClicked(index, column);
}

void BookListView::mouseMoveEvent(QMouseEvent* event)
{
    QListView::mouseMoveEvent(event);
    // The marks light up under the mouse: repaint the item beneath it.
    const QModelIndex index = indexAt(event->pos());
    if (index.isValid())
        viewport()->update(visualRect(index));
}
