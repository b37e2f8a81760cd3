#pragma once

#include "IDocument.h"

#include <QImage>
#include <QObject>
#include <QPair>

#include <atomic>

/// The common base of the page-image books (PDF, comic archives): keeps the
/// current page, the column count (one page or a two-page spread) and the zoom
/// scale, and turns pages the same way for every such format. A subclass says
/// how many pages there are and produces the image of one page.
///
/// Threads: the document belongs to the thread that made it (the GUI thread in
/// the reader, the add-books worker when a book is added). load(), the
/// navigation slots and the setters run there. requestImage() and
/// requestImages() may run on worker threads, several at a time, while the
/// owner thread turns pages: the page, column and scale fields are atomic, so
/// the workers may read them, and a subclass keeps everything else that
/// they read unchanged after load().
class ImageDocument : public QObject, public IDocument
{
    Q_OBJECT
public:
    explicit ImageDocument(QObject* parent = nullptr);
    ~ImageDocument() override;

    /// Reads the document's structure (no page images). Failure leaves a
    /// document of 0 pages; errorString() says why.
    virtual void load(const QString& path) = 0;
    /// The image of one page; a null image when it cannot be produced.
    /// Worker threads.
    virtual QImage requestImage(int number) = 0;
    /// requestImage(first) and requestImage(second), for a two-page spread.
    /// Worker threads.
    virtual QPair<QImage, QImage> requestImages(int first, int second);
    int pageCount() const override = 0;
    /// Stores the zoom factor and emits scaleChanged().
    virtual void setScale(double scale);
    double scale() const { return m_scale; }
    /// Whether `number` is a page of the document.
    virtual bool isValidPage(int number) const = 0;

    int page() const override { return m_page; }
    int columnCount() const override { return m_columnCount; }
    /// 1 and 2 are stored, anything else stores 1; columnCountChanged() follows.
    void setColumnCount(int count) override;

public slots:
    /// Forward one page, or a spread of two; nothing at the end (a spread that
    /// already shows the last page stays).
    void nextPage();
    /// Back one page, or a spread of two (page 2 goes to page 1); nothing on
    /// the first page.
    void previousPage();
    /// A page outside the document goes to page 1. pageNumberChanged() is
    /// emitted either way, also when the page stays the same.
    void setPage(int number) override;
    void moveToEnd() override;
    void moveToHome() override;

signals:
    void pageNumberChanged(int number);
    void columnCountChanged(int columns);
    void scaleChanged(double scaleValue);

private:
    std::atomic<int> m_columnCount{1};
    std::atomic<int> m_page{1};
    std::atomic<double> m_scale{1.0};
};
