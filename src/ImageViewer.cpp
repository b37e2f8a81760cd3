#include "ImageViewer.h"

#include "Settings.h"
#include "comics/ComicDocument.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>

ImageViewer::ImageViewer(const BookDto& book, QWidget* parent) : PageView(book, parent)
{
    m_scene = new QGraphicsScene(this);
    setScene(m_scene);

    const QString suffix = book.full_path.right(3);
    if (suffix.compare(QLatin1String("cbz"), Qt::CaseInsensitive) == 0 ||
        suffix.compare(QLatin1String("cbr"), Qt::CaseInsensitive) == 0)
        m_document = new comics::ComicDocument(this);
    if (m_document) {
        watchDocument(m_document);
        connect(m_document, &ImageDocument::columnCountChanged, this, &ImageViewer::columnCountChanged);
    }
    connect(Settings::instance(), &Settings::changed, this, &ImageViewer::onSettingsChanged);
    onSettingsChanged();
}

ImageViewer::~ImageViewer()
{
    // The pool may still be decoding a page of this document.
    releasePictures();
    delete m_document;
    m_document = nullptr;
}

void ImageViewer::load()
{
    if (!m_document)
        return;
    emit loadBegin();
    m_document->load(path());
    emit loadFinished();
    if (auto* comic = qobject_cast<comics::ComicDocument*>(m_document))
        comic->unpackInBackground();
    m_document->setPage(1);
}

void ImageViewer::onSettingsChanged()
{
    applyProfile();
    if (m_document)
        m_document->setColumnCount(Settings::instance()->data().columnCount);
}

// ---------------------------------------------------------------- pictures

PageLoader::Producer ImageViewer::producer(QString* key) const
{
    const int columns = m_document->columnCount();
    *key = QString::number(columns);
    ImageDocument* document = m_document;
    return [document, columns](int page) {
        if (columns == 2)
            return document->requestImages(page, page + 1);
        return PageLoader::Picture(document->requestImage(page), QImage());
    };
}

void ImageViewer::showPicture(int page, const PageLoader::Picture& picture)
{
    Q_UNUSED(page)
    m_scene->clear();
    QRectF rect;
    if (!picture.first.isNull()) {
        auto* item = m_scene->addPixmap(QPixmap::fromImage(picture.first));
        item->setTransformationMode(Qt::SmoothTransformation);
        rect = item->boundingRect();
    }
    if (!picture.second.isNull()) {
        auto* item = m_scene->addPixmap(QPixmap::fromImage(picture.second));
        item->setTransformationMode(Qt::SmoothTransformation);
        item->setPos(rect.width(), 0);
        rect = QRectF(0, 0, rect.width() + item->boundingRect().width(),
                      qMax(rect.height(), item->boundingRect().height()));
    }
    setSceneRect(rect);
    m_scene->update();
    if (m_zoomMode == FitPage)
        fitItems();
}

void ImageViewer::fitItems()
{
    const QRectF bounds = m_scene->itemsBoundingRect();
    if (!bounds.isEmpty())
        fitInView(bounds, Qt::KeepAspectRatio);
}

void ImageViewer::columnCountChanged(int count)
{
    // Every settings change repeats the count; only a real change starts the
    // view afresh (and drops the user's zoom).
    if (count == m_columns)
        return;
    m_columns = count;
    m_zoomMode = FitPage;
    resetTransform();
    if (!sceneRect().isEmpty())
        fitInView(sceneRect(), Qt::KeepAspectRatio);
    loadPage();
}

void ImageViewer::switchColumnCount()
{
    if (m_document)
        m_document->setColumnCount(m_document->columnCount() == 1 ? 2 : 1);
}

void ImageViewer::updateViewState()
{
    m_scene->update();
    if (m_zoomMode == FitPage)
        fitItems();
}

void ImageViewer::resizeEvent(QResizeEvent* event)
{
    PageView::resizeEvent(event);
    updateViewState();
}

// ---------------------------------------------------------------- zoom

void ImageViewer::zoomIn()
{
    if (!m_document)
        return;
    m_zoomMode = UserZoom;
    scale(ZoomStep, ZoomStep);
}

void ImageViewer::zoomOut()
{
    if (!m_document)
        return;
    m_zoomMode = UserZoom;
    scale(1 / ZoomStep, 1 / ZoomStep);
}

void ImageViewer::fitToPage()
{
    if (!m_document)
        return;
    m_zoomMode = FitPage;
    resetTransform();
    fitItems();
}

void ImageViewer::originalSize()
{
    if (!m_document)
        return;
    m_zoomMode = NaturalSize;
    resetTransform();
}
