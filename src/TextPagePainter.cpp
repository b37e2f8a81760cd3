#include "TextPagePainter.h"

#include "TextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPainter>
#include <QtMath>

namespace {

// Pictures kept: the spread on screen, the one ahead and the one before.
constexpr int kSpreadsKept = 3;
// A picture larger than this (a page filling a very large screen at a high
// pixel ratio) is not kept; such pages are drawn straight away as before.
constexpr qint64 kMaxPictureBytes = 24 * 1024 * 1024;

} // namespace

bool TextPagePainter::Key::operator==(const Key& other) const
{
    return layoutId == other.layoutId && rect == other.rect && pixelRatio == other.pixelRatio &&
           paper == other.paper && highlights == other.highlights;
}

TextPagePainter::TextPagePainter(TextDocument* document, QObject* parent)
    : QObject(parent), m_document(document)
{
    m_aheadTimer.setSingleShot(true);
    m_aheadTimer.setInterval(0);
    connect(&m_aheadTimer, &QTimer::timeout, this, &TextPagePainter::drawAhead);
}

TextPagePainter::~TextPagePainter() = default;

void TextPagePainter::setKeepsPictures(bool on)
{
    m_keepsPictures = on;
    reset();
}

void TextPagePainter::reset()
{
    m_aheadTimer.stop();
    m_pictures.clear();
    m_lastPage = 0;
    m_backwards = false;
}

void TextPagePainter::paint(QPainter& painter, const QRect& area, qreal devicePixelRatio)
{
    const int page = m_document->page();
    if (m_document->columnCount() == 2) {
        const int half = area.width() / 2;
        drawPage(painter, page, QRect(area.left(), area.top(), half, area.height()), devicePixelRatio);
        // An odd last page leaves the right half as blank paper.
        if (page + 1 <= m_document->pageCount())
            drawPage(painter, page + 1, QRect(area.left() + half, area.top(), area.width() - half, area.height()),
                     devicePixelRatio);
    } else {
        drawPage(painter, page, area, devicePixelRatio);
    }
    // Backwards only after a turn back; after a jump the reader reads on.
    if (page != m_lastPage)
        m_backwards = page == m_lastPage - qMax(1, m_document->columnCount());
    m_lastPage = page;
    m_pixelRatio = devicePixelRatio;
    if (m_keepsPictures)
        m_aheadTimer.start();
}

void TextPagePainter::drawPage(QPainter& painter, int page, const QRect& target, qreal pixelRatio)
{
    const QSizeF pageSize = m_document->pageSize();
    if (page < 1 || page > m_document->pageCount() || !pageSize.isValid() || pageSize.width() <= 0 ||
        pageSize.height() <= 0)
        return;
    const QMargins margins = m_document->margins();
    const int pageWidth = qCeil(pageSize.width());
    const int pageHeight = qCeil(pageSize.height());
    const int reserve = m_document->pageNumberReserve();

    painter.save();
    const QPoint origin = target.topLeft() + QPoint(margins.left(), margins.top());
    if (const QImage* image = picture(page, pixelRatio)) {
        painter.drawImage(origin, *image);
    } else {
        const TextDocument::PageView view = m_document->pageView(page);
        if (view.document) {
            painter.save();
            painter.translate(origin);
            drawText(painter, view);
            painter.restore();
        } else {
            painter.drawText(QRect(origin, QSize(pageWidth, pageHeight)), Qt::AlignCenter,
                             QCoreApplication::translate("TextViewer", "ERROR: Unable the render the page!"));
        }
    }

    painter.setFont(m_document->font());
    painter.setPen(m_document->fontColor());
    const QRect numberLine(target.left(), target.top() + margins.top() + pageHeight,
                           pageWidth + margins.left() + margins.right(), reserve);
    painter.drawText(numberLine, Qt::AlignCenter, m_document->pageLabel(page));
    painter.restore();
}

const QImage* TextPagePainter::picture(int page, qreal pixelRatio)
{
    if (!m_keepsPictures)
        return nullptr;
    const TextDocument::PageView view = m_document->pageView(page);
    if (!view.document)
        return nullptr;
    const QSize pixels(qCeil(view.rect.width() * pixelRatio), qCeil(view.rect.height() * pixelRatio));
    if (qint64(pixels.width()) * pixels.height() * 4 > kMaxPictureBytes)
        return nullptr;

    Key key;
    key.layoutId = view.layoutId;
    key.rect = view.rect;
    key.pixelRatio = pixelRatio;
    key.paper = m_document->backgroundColor().rgba();
    for (const QAbstractTextDocumentLayout::Selection& s : view.selections)
        key.highlights.push_back({quint32(s.cursor.selectionStart()), quint32(s.cursor.selectionEnd()),
                                  s.format.background().color().rgba()});
    for (auto it = m_pictures.begin(); it != m_pictures.end(); ++it) {
        if (it->key == key) {
            m_pictures.splice(m_pictures.begin(), m_pictures, it);
            return &m_pictures.front().image;
        }
    }

    // Opaque paper makes an opaque picture, which is copied, not blended.
    const bool opaque = m_document->backgroundColor().alpha() == 255;
    QImage image(pixels, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(m_document->backgroundColor());
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        drawText(painter, view);
    }
    ++m_picturesDrawn;
    m_pictures.push_front(Picture{key, image});
    const int kept = kSpreadsKept * qMax(1, m_document->columnCount());
    while (int(m_pictures.size()) > kept)
        m_pictures.pop_back();
    return &m_pictures.front().image;
}

void TextPagePainter::drawText(QPainter& painter, const TextDocument::PageView& view)
{
    // The page's part of its unit's layout, moved to the painter's origin
    // and clipped to the page.
    painter.translate(0, -view.rect.top());
    painter.setClipRect(view.rect);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = view.rect;
    // The style sheet gives the text its real colours.
    context.palette.setColor(QPalette::Text, Qt::black);
    context.selections = view.selections;
    view.document->documentLayout()->draw(&painter, context);
}

void TextPagePainter::drawAhead()
{
    // Pages asked for in the middle of a re-layout may belong to either
    // layout; the repaint after it schedules this again.
    if (!m_document->hasText() || m_document->isRelayouting() || m_document->isWaitingForPlace())
        return;
    const int columns = qMax(1, m_document->columnCount());
    const int first = m_document->page() + (m_backwards ? -columns : columns);
    for (int page = first; page < first + columns; ++page) {
        if (page >= 1 && page <= m_document->pageCount())
            picture(page, m_pixelRatio);
    }
}
