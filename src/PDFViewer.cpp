#include "PDFViewer.h"

#include "BookFormat.h"
#include "MessagePassword.h"
#include "MessageView.h"
#include "Settings.h"
#include "djvu/DjvuDocument.h"
#include "pdf/PdfDocument.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QLoggingCategory>
#include <QScrollBar>

#include <cmath>

Q_LOGGING_CATEGORY(lcPdfViewer, "lanternleaf.pdfviewer", QtWarningMsg)

namespace {
// The zoom factor a picture was made at travels with it, so the view can
// stretch the old picture to the new factor while the sharp one renders.
const QString kScaleKey = QStringLiteral("lanternleaf.scale");
} // namespace

PDFViewer::PDFViewer(const BookDto& book, QWidget* parent) : PageView(book, parent)
{
    m_scene = new QGraphicsScene(this);
    setScene(m_scene);
    m_item = new QGraphicsPixmapItem;
    m_item->setTransformationMode(Qt::SmoothTransformation);
    m_scene->addItem(m_item);

    if (book.format == BookFormat::Djvu) {
        m_document = new djvu::DjvuDocument(this);
    } else {
        auto* pdfDocument = new pdf::PdfDocument(this);
        pdfDocument->setPasswordPrompt(
            [this](bool wrongBefore, QString* password) { return askPassword(wrongBefore, password); });
        m_document = pdfDocument;
    }
    watchDocument(m_document);
    connect(m_document, &RenderedDocument::scaleChanged, this, &PDFViewer::onScaleChanged);
    connect(m_document, &RenderedDocument::columnCountChanged, this, &PDFViewer::onColumnCountChanged);
    connect(Settings::instance(), &Settings::changed, this, &PDFViewer::updateStyle);
    updateStyle();
}

PDFViewer::~PDFViewer()
{
    closeDocument();
}

ImageDocument* PDFViewer::imageDocument() const
{
    return m_document;
}

void PDFViewer::closeDocument()
{
    releasePictures();
    delete m_document;
    m_document = nullptr;
}

bool PDFViewer::askPassword(bool wrongBefore, QString* password)
{
    if (wrongBefore) {
        MessageView box(pdf::PdfDocument::wrongPasswordTitle(), pdf::PdfDocument::wrongPasswordText(), this);
        box.exec();
    }
    MessagePassword prompt(this);
    if (prompt.exec() != QDialog::Accepted)
        return false;
    *password = prompt.password();
    return true;
}

void PDFViewer::load()
{
    if (!m_document)
        return;
    emit loadBegin();
    m_document->load(path());
    emit loadFinished();
    if (m_document->isLoaded())
        loadPage();
}

void PDFViewer::updateStyle()
{
    applyProfile();
    if (m_document)
        m_document->setColumnCount(Settings::instance()->data().columnCount);
}

// ---------------------------------------------------------------- pictures

PageLoader::Producer PDFViewer::producer(QString* key) const
{
    RenderedDocument::View view = m_document->view();
    view.viewport = viewport()->size();
    view.pixelRatio = devicePixelRatioF();
    // Only a fitted picture depends on the size of the view.
    const QSize fitted = view.zoomMode == RenderedDocument::FitPage ? view.viewport : QSize();
    *key = QStringLiteral("%1x%2 %3 %4 %5 %6")
               .arg(fitted.width())
               .arg(fitted.height())
               .arg(view.zoomMode)
               .arg(view.scale)
               .arg(view.columns)
               .arg(view.pixelRatio);
    const RenderedDocument* document = m_document;
    return [document, view](int page) {
        QImage picture = document->render(view, page);
        if (!picture.isNull()) {
            const bool spread = view.columns == 2 && page < document->pageCount();
            picture.setText(kScaleKey,
                            QString::number(document->pageGeometry(view, page, spread ? page + 1 : 0).scale));
        }
        return PageLoader::Picture(picture, QImage());
    };
}

void PDFViewer::showPicture(int page, const PageLoader::Picture& picture)
{
    Q_UNUSED(page)
    m_item->setPixmap(QPixmap::fromImage(picture.first));
    m_item->setScale(1.0);
    bool ok = false;
    const double scale = picture.first.text(kScaleKey).toDouble(&ok);
    if (ok && scale > 0)
        m_shownScale = scale;
    moveImageToCenter();
}

void PDFViewer::moveImageToCenter()
{
    const QRectF bounds = m_item->mapRectToScene(m_item->boundingRect());
    m_scene->setSceneRect(QRectF(QPointF(0, 0), bounds.size()));
}

bool PDFViewer::fadeInAllowed() const
{
    return fadeEnabled() && !m_userZooming;
}

void PDFViewer::onPageNumberChanged(int number)
{
    m_userZooming = false;
    PageView::onPageNumberChanged(number);
}

void PDFViewer::onScaleChanged(double scaleValue)
{
    Q_UNUSED(scaleValue)
    loadPage();
}

void PDFViewer::onColumnCountChanged(int columns)
{
    Q_UNUSED(columns)
    loadPage();
}

void PDFViewer::resizeEvent(QResizeEvent* event)
{
    PageView::resizeEvent(event);
    loadPage();
}

// ---------------------------------------------------------------- zoom

void PDFViewer::setScaleStep(double scale)
{
    if (!m_document)
        return;
    m_userZooming = true;
    scale = std::round(scale * 100) / 100; // whole percent, free of summed-up float error
    // Until the sharp picture arrives, the one on screen is stretched to the
    // new size.
    if (m_shownScale > 0 && !m_item->pixmap().isNull()) {
        m_item->setScale(scale / m_shownScale);
        moveImageToCenter();
    }
    m_document->setZoomMode(RenderedDocument::CustomScale);
    m_document->setScale(scale);
}

double PDFViewer::currentScale() const
{
    // In fit mode a step starts from the fitted factor on screen, not from
    // the stored 1.0; in zoom mode from the factor asked for last, so quick
    // steps add up before their pictures arrive.
    switch (m_document->zoomMode()) {
    case RenderedDocument::CustomScale:
        return m_document->scale();
    case RenderedDocument::NaturalSize:
        return 1.0;
    default:
        return m_shownScale;
    }
}

void PDFViewer::zoomIn()
{
    if (m_document)
        setScaleStep(currentScale() + ScaleStep);
}

void PDFViewer::zoomOut()
{
    if (m_document)
        setScaleStep(qMax(MinScale, currentScale() - ScaleStep));
}

void PDFViewer::fitToPage()
{
    if (!m_document)
        return;
    m_document->setZoomMode(RenderedDocument::FitPage);
    m_document->setScale(1.0);
}

void PDFViewer::originalSize()
{
    if (!m_document)
        return;
    m_document->setZoomMode(RenderedDocument::NaturalSize);
    m_document->setScale(1.0);
}
