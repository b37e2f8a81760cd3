#include "BookListViewDelegate.h"

#include "BookModel.h"
#include "CoverLoader.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

namespace {
const int kTextHeight = 40;
const int kMark = 22;

QPixmap defaultCover(const QString& title, const QSize& size)
{
    const QString key = CoverLoader::cacheKey(QStringLiteral("default:") + title, size);
    QPixmap cached;
    if (QPixmapCache::find(key, &cached))
        return cached;
    QPixmap board = QPixmap(QString::fromLatin1(BookListViewDelegate::DefaultCover))
                        .scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (board.isNull())
        return board;
    QPainter painter(&board);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = QApplication::font();
    font.setPixelSize(qMax(9, board.height() / 13));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0x2e, 0x3a, 0x48));
    // The board's upper two thirds are left empty for the title.
    const QRect area(board.width() * 18 / 100, board.height() * 15 / 100, board.width() * 72 / 100,
                     board.height() * 47 / 100);
    const QFontMetrics metrics(font);
    QString text = title;
    // Keep a long title inside the area: cut it and mark the cut.
    while (text.size() > 1 &&
           metrics.boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, text).height() > area.height())
        text = text.left(text.size() - 2) + QChar(0x2026);
    painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, text);
    painter.end();
    QPixmapCache::insert(key, board);
    return board;
}

/// What stands in for a cover while it is decoded: a quiet card of the
/// shape most covers have, so the shelf does not jump when they arrive.
QSize placeholderSize(const QSize& area)
{
    return QSize(area.width(), area.width() * 3 / 2).boundedTo(area);
}
} // namespace

BookListViewDelegate::BookListViewDelegate(QObject* parent)
    : QStyledItemDelegate(parent), m_loader(new CoverLoader(this))
{
    m_rateRated.load(":/style/images/raterated.png");
    m_rateRatedHigh.load(":/style/images/rateratedhigh.png");
    m_rateUnrated.load(":/style/images/rateunrated.png");
    m_rateUnratedHigh.load(":/style/images/rateunratedhigh.png");
    m_rateUnratedSelect.load(":/style/images/rateunratedselect.png");
    m_rateUnratedSelectHigh.load(":/style/images/rateunratedselecthigh.png");
    m_trash.load(":/style/images/delete.png");
    m_trashHigh.load(":/style/images/deletehigh.png");
    m_trashSelect.load(":/style/images/deleteselect.png");
    m_trashSelectHigh.load(":/style/images/deleteselecthigh.png");
}

QSize BookListViewDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const
{
    return QSize(ItemWidth, ItemHeight);
}

QRect BookListViewDelegate::coverArea(const QRect& item)
{
    return QRect(item.left() + 10, item.top() + 6, item.width() - 20, item.height() - kTextHeight - 10);
}

QRect BookListViewDelegate::starRect(const QRect& item)
{
    const QRect area = coverArea(item);
    return QRect(area.right() - kMark + 4, area.top() - 2, kMark, kMark);
}

QRect BookListViewDelegate::trashRect(const QRect& item)
{
    const QRect area = coverArea(item);
    return QRect(area.left() - 4, area.top() - 2, kMark, kMark);
}

QPixmap BookListViewDelegate::coverPixmap(const QString& coverPath, const QString& title, const QSize& size)
{
    QPixmap pixmap;
    const QString key = CoverLoader::cacheKey(coverPath, size);
    if (!coverPath.isEmpty() && !QPixmapCache::find(key, &pixmap)) {
        const QImage image = CoverLoader::decode(coverPath, size);
        if (!image.isNull()) {
            pixmap = QPixmap::fromImage(image);
            QPixmapCache::insert(key, pixmap);
        }
    }
    return pixmap.isNull() ? defaultCover(title, size) : pixmap;
}

void BookListViewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect item = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const bool hovered = option.state & QStyle::State_MouseOver;

    if (selected || hovered) {
        QColor fill = option.palette.color(QPalette::Highlight);
        if (!selected)
            fill.setAlpha(90);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(QRectF(item).adjusted(1, 1, -1, -1), 8, 8);
    }

    const QString title = index.data(Qt::DisplayRole).toString();
    const QRect area = coverArea(item);
    // Only the rows on screen are painted, so only their covers are loaded;
    // the decode runs on the loader's threads and repaints when done.
    CoverLoader::State state = CoverLoader::Missing;
    QPixmap cover = m_loader->cover(index.data(BookModel::CoverRole).toString(), area.size(), &state);
    if (state == CoverLoader::Missing)
        cover = defaultCover(title, area.size());
    const QSize coverSize = state == CoverLoader::Loading ? placeholderSize(area.size()) : cover.size();
    // Covers stand on one line, like books on a shelf.
    const QRect coverRect(area.left() + (area.width() - coverSize.width()) / 2,
                          area.bottom() + 1 - coverSize.height(), coverSize.width(), coverSize.height());
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0, 0, 0, 28));
    painter->drawRoundedRect(QRectF(coverRect).translated(1.5, 2), 3, 3);
    if (state == CoverLoader::Loading) {
        painter->setBrush(option.palette.color(QPalette::Midlight));
        painter->drawRoundedRect(coverRect, 3, 3);
    } else {
        QPainterPath clip;
        clip.addRoundedRect(coverRect, 3, 3);
        painter->setClipPath(clip);
        painter->drawPixmap(coverRect, cover);
        painter->setClipping(false);
    }
    if (index.data(BookModel::DeletedRole).toBool()) {
        painter->setBrush(QColor(255, 255, 255, 110));
        painter->drawRoundedRect(coverRect, 3, 3);
    }

    QFont titleFont = option.font;
    titleFont.setBold(true);
    const QFontMetrics titleMetrics(titleFont);
    const QFontMetrics authorMetrics(option.font);
    const QRect text(item.left() + 6, area.bottom() + 6, item.width() - 12, kTextHeight);
    painter->setFont(titleFont);
    painter->setPen(option.palette.color(QPalette::Text));
    painter->drawText(QRect(text.left(), text.top(), text.width(), titleMetrics.height()),
                      Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                      titleMetrics.elidedText(title, Qt::ElideRight, text.width()));
    painter->setFont(option.font);
    QColor muted = option.palette.color(QPalette::Text);
    muted.setAlpha(150);
    painter->setPen(muted);
    painter->drawText(
        QRect(text.left(), text.top() + titleMetrics.height() + 1, text.width(), authorMetrics.height()),
        Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
        authorMetrics.elidedText(index.sibling(index.row(), BookModel::ColumnAuthor).data().toString(),
                                 Qt::ElideRight, text.width()));

    // Marks: the star of a favourite always, the others while the mouse is
    // over the item; the book in the trash always shows its trash mark.
    QPoint mouse(-1, -1);
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        mouse = view->viewport()->mapFromGlobal(QCursor::pos());
    const bool favorite = index.data(BookModel::FavoriteRole).toBool();
    const bool deleted = index.data(BookModel::DeletedRole).toBool();
    auto drawMark = [&](const QRect& rect, const QPixmap& pixmap) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(255, 255, 255, 235));
        painter->drawEllipse(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5));
        const QSize size = pixmap.size() / pixmap.devicePixelRatio();
        painter->drawPixmap(
            QRect(rect.center() - QPoint(size.width() / 2, size.height() / 2) + QPoint(1, 1), size), pixmap);
    };
    if (!deleted && (favorite || hovered)) {
        const QRect star = starRect(item);
        const bool high = star.contains(mouse);
        const QPixmap& pixmap = favorite ? (high ? m_rateRatedHigh : m_rateRated)
                                         : (selected ? (high ? m_rateUnratedSelectHigh : m_rateUnratedSelect)
                                                     : (high ? m_rateUnratedHigh : m_rateUnrated));
        drawMark(star, pixmap);
    }
    if (deleted || hovered) {
        const QRect trash = trashRect(item);
        const bool high = trash.contains(mouse);
        drawMark(trash, selected || deleted ? (high ? m_trashSelectHigh : m_trashSelect)
                                            : (high ? m_trashHigh : m_trash));
    }
    painter->restore();
}
