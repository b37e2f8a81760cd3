#pragma once

#include "PageView.h"

#include <QRectF>

class QGraphicsScene;

/// Shows a comic book (CBZ, CBR): the page images are decoded on a pool
/// thread and shown at their own size in the scene; the view's transform
/// fits them into the view or zooms them, and two-page mode lays the two
/// images side by side. Owns its document (none for a path that is not a
/// comic archive: then every slot does nothing). GUI thread only.
class ImageViewer : public PageView
{
    Q_OBJECT
public:
    enum ZoomMode
    {
        FitPage = 0,
        NaturalSize = 1,
        UserZoom = 2
    };
    /// Factor of one zoom step.
    static constexpr double ZoomStep = 1.15;

    explicit ImageViewer(const BookDto& book, QWidget* parent = nullptr);
    ~ImageViewer() override;

    ImageDocument* imageDocument() const override { return m_document; }
    ImageDocument* document() const { return m_document; }
    /// Reads the archive's page list between loadBegin() and loadFinished(),
    /// then goes to page 1.
    void load() override;
    int zoomMode() const { return m_zoomMode; }

public slots:
    void zoomIn() override;
    void zoomOut() override;
    void fitToPage() override;
    void originalSize() override;
    /// One page <-> two pages.
    void switchColumnCount();

protected:
    PageLoader::Producer producer(QString* key) const override;
    void showPicture(int page, const PageLoader::Picture& picture) override;
    void resizeEvent(QResizeEvent* event) override;

private slots:
    void columnCountChanged(int count);
    void updateViewState();
    void onSettingsChanged();

private:
    void fitItems();

    ImageDocument* m_document = nullptr;
    QGraphicsScene* m_scene = nullptr;
    int m_zoomMode = FitPage;
    int m_columns = 1;
};
