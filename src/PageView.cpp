#include "PageView.h"

#include "FadeOverlay.h"
#include "ImageDocument.h"
#include "Settings.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QWheelEvent>

PageView::PageView(const BookDto& book, QWidget* parent) : QGraphicsView(parent), m_path(book.full_path)
{
    setObjectName("imageViewer");
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    setDragMode(QGraphicsView::ScrollHandDrag);
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setAlignment(Qt::AlignCenter);
    setFrameShape(QFrame::NoFrame);

    m_fade = new FadeOverlay(this);

    m_clickTimer.setSingleShot(true);
    connect(&m_clickTimer, &QTimer::timeout, this, &PageView::onClickTimer);
    m_loadTimer.setSingleShot(true);
    m_loadTimer.setInterval(0);
    connect(&m_loadTimer, &QTimer::timeout, this, &PageView::requestNow);

    connect(&m_loader, &PageLoader::loadingStarted, this, &PageView::loadingStarted);
    connect(&m_loader, &PageLoader::pageReady, this, &PageView::loadingFinished);
    connect(&m_loader, &PageLoader::loadingCanceled, this, &PageView::loadingCanceled);

    addShortcut(QKeySequence(Qt::Key_Right), &PageView::next);
    addShortcut(QKeySequence(Qt::Key_Left), &PageView::previous);
    addShortcut(QKeySequence::MoveToNextPage, &PageView::next);
    addShortcut(QKeySequence::MoveToPreviousPage, &PageView::previous);
    addShortcut(QKeySequence::ZoomIn, &PageView::zoomIn);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_Equal), &PageView::zoomIn);
    addShortcut(QKeySequence::ZoomOut, &PageView::zoomOut);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_1), &PageView::setOnePageMode);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_2), &PageView::setTwoPageMode);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_8), &PageView::fitToPage);
    addShortcut(QKeySequence(Qt::CTRL | Qt::Key_9), &PageView::originalSize);
    addShortcut(QKeySequence(Qt::Key_Home), &PageView::moveToHome);
    addShortcut(QKeySequence(Qt::Key_End), &PageView::moveToEnd);
}

PageView::~PageView()
{
    // Subclasses delete their documents after waiting for the loader; this
    // is the last guard for a job still running.
    m_loader.cancelAndWait();
}

void PageView::addShortcut(const QKeySequence& keys, void (PageView::*slot)())
{
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, slot);
}

void PageView::watchDocument(ImageDocument* document)
{
    connect(document, &ImageDocument::pageNumberChanged, this, &PageView::onPageNumberChanged);
}

// ---------------------------------------------------------------- navigation

void PageView::next()
{
    if (ImageDocument* document = imageDocument())
        document->nextPage();
}

void PageView::previous()
{
    if (ImageDocument* document = imageDocument())
        document->previousPage();
}

void PageView::moveToHome()
{
    if (ImageDocument* document = imageDocument())
        document->moveToHome();
}

void PageView::moveToEnd()
{
    if (ImageDocument* document = imageDocument())
        document->moveToEnd();
}

void PageView::setOnePageMode()
{
    if (ImageDocument* document = imageDocument())
        document->setColumnCount(1);
}

void PageView::setTwoPageMode()
{
    if (ImageDocument* document = imageDocument())
        document->setColumnCount(2);
}

void PageView::onPageNumberChanged(int number)
{
    Q_UNUSED(number)
    loadPage();
    verticalScrollBar()->setValue(0);
}

// ---------------------------------------------------------------- pictures

void PageView::loadPage()
{
    if (imageDocument())
        m_loadTimer.start();
}

void PageView::requestNow()
{
    ImageDocument* document = imageDocument();
    if (!document || document->pageCount() <= 0)
        return;
    QString key;
    PageLoader::Producer make = producer(&key);
    if (key != m_producerKey) {
        m_producerKey = key;
        m_loader.setProducer(std::move(make));
    }
    const int page = document->page();
    const int step = document->columnCount();
    QList<int> ahead;
    if (document->isValidPage(page + step))
        ahead << page + step;
    m_loader.request(page, ahead);
}

void PageView::releasePictures()
{
    m_loadTimer.stop();
    m_loader.cancelAndWait();
    m_loader.clear();
}

void PageView::loadingStarted()
{
    fadeIn();
}

void PageView::loadingFinished(int page, const PageLoader::Picture& picture)
{
    m_shownPage = page;
    showPicture(page, picture);
    fadeOut();
    emit pageShown(page);
}

void PageView::loadingCanceled()
{
    fadeOut();
}

void PageView::fadeIn()
{
    if (fadeInAllowed())
        m_fade->fadeIn();
}

void PageView::fadeOut()
{
    // Also when the fade was switched off meanwhile: the overlay must not
    // stay over the page.
    m_fade->fadeOut();
}

void PageView::applyProfile()
{
    const ReaderSettings settings = Settings::instance()->data();
    m_fadeEnabled = settings.showFade;
    const QColor background = settings.profile().backgroundColor;
    setBackgroundBrush(QBrush(background, Qt::SolidPattern));
    QFile file(QStringLiteral(":/style/scrollbar_template.css"));
    if (file.open(QIODevice::ReadOnly)) {
        const QString style =
            QString::fromUtf8(file.readAll()).replace(QLatin1String("%background_color%"), background.name());
        verticalScrollBar()->setStyleSheet(style);
        horizontalScrollBar()->setStyleSheet(style);
    }
    // The fade dims the page towards the page's own background, so a page
    // turn looks the same in every profile.
    m_fade->setColor(background);
}

// ---------------------------------------------------------------- mouse

void PageView::mousePressEvent(QMouseEvent* event)
{
    m_pressPos = event->pos();
    m_pressed = true;
    setFocus(Qt::OtherFocusReason);
    QGraphicsView::mousePressEvent(event);
}

void PageView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_pressed && event->pos() == m_pressPos && !(event->modifiers() & Qt::ControlModifier) &&
        event->button() == Qt::LeftButton)
        m_clickTimer.start(QApplication::doubleClickInterval());
    m_pressed = false;
    QGraphicsView::mouseReleaseEvent(event);
}

void PageView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_clickTimer.stop();
    emit fullScreen();
    QGraphicsView::mouseDoubleClickEvent(event);
    event->accept();
    // The release that ends the double click is not a click of its own.
    m_pressed = false;
    m_clickTimer.stop();
}

void PageView::onClickTimer()
{
    m_clickTimer.stop();
    if (m_pressPos.x() >= 0 && m_pressPos.x() <= width() / 2 - 1)
        previous();
    else
        next();
}

void PageView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() > 0)
            zoomIn();
        else
            zoomOut();
        event->accept();
        return;
    }
    QGraphicsView::wheelEvent(event);
}

void PageView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    if (m_fade->isVisible())
        m_fade->setGeometry(rect());
}
