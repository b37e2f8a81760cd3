#pragma once

#include "PageView.h"

class QGraphicsPixmapItem;
class RenderedDocument;

/// Shows a PDF or DjVu book: the document renders the current page or two-page
/// spread at the size the view needs (fit, natural size or the user's zoom,
/// at the screen's pixel density) on a pool thread, and the view shows the
/// picture centred. Asks for the password of a protected file with the
/// program's own prompt. Owns its document. GUI thread only.
class PDFViewer : public PageView
{
    Q_OBJECT
public:
    /// The lowest zoom factor zoomOut() reaches.
    static constexpr double MinScale = 0.1;
    static constexpr double ScaleStep = 0.1;

    explicit PDFViewer(const BookDto& book, QWidget* parent = nullptr);
    ~PDFViewer() override;

    ImageDocument* imageDocument() const override;
    /// The PDF or DjVu document; null after closeDocument().
    RenderedDocument* document() const { return m_document; }
    /// Opens the file (asking for its password when needed) between
    /// loadBegin() and loadFinished(), then asks for the first picture.
    void load() override;
    /// Waits for a render in progress, then deletes the document.
    void closeDocument();
    /// The zoom factor of the picture on screen (the fitted one in fit mode).
    double shownScale() const { return m_shownScale; }
    /// The item that shows the picture (tests).
    QGraphicsPixmapItem* pixmapItem() const { return m_item; }

public slots:
    void zoomIn() override;
    void zoomOut() override;
    void fitToPage() override;
    void originalSize() override;

protected:
    PageLoader::Producer producer(QString* key) const override;
    void showPicture(int page, const PageLoader::Picture& picture) override;
    bool fadeInAllowed() const override;
    void resizeEvent(QResizeEvent* event) override;

protected slots:
    void onPageNumberChanged(int number) override;

private slots:
    void onScaleChanged(double scaleValue);
    void onColumnCountChanged(int columns);
    void updateStyle();

private:
    bool askPassword(bool wrongBefore, QString* password);
    void moveImageToCenter();
    void setScaleStep(double scale);
    double currentScale() const;

    RenderedDocument* m_document = nullptr;
    QGraphicsScene* m_scene = nullptr;
    QGraphicsPixmapItem* m_item = nullptr;
    bool m_userZooming = false;
    double m_shownScale = 1.0;
};
