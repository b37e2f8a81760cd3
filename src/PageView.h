#pragma once

#include "BookDto.h"
#include "PageLoader.h"

#include <QGraphicsView>
#include <QPoint>
#include <QTimer>

class FadeOverlay;
class ImageDocument;

/// What the two page-image viewers (ImageViewer for comics, PDFViewer) share:
/// a graphics view that turns pages by keys, clicks and the reading toolbar,
/// zooms on Ctrl+wheel, dims the page with a short fade while the next
/// picture is produced, and has its pictures made on the thread pool by a
/// PageLoader, the next page ahead of time. A subclass owns the document,
/// says how a picture is made and shows it.
///
/// Clicks: a single click turns a page after the double-click interval (left
/// half back, right half forward); a double click turns nothing and emits
/// fullScreen(); a drag or a Ctrl+click turns nothing. GUI thread only.
class PageView : public QGraphicsView
{
    Q_OBJECT
public:
    explicit PageView(const BookDto& book, QWidget* parent = nullptr);
    ~PageView() override;

    /// The book file.
    QString path() const { return m_path; }
    /// The viewer's document; null when it has none (the slots do nothing).
    virtual ImageDocument* imageDocument() const = 0;
    /// Opens the document between loadBegin() and loadFinished().
    virtual void load() = 0;
    /// The page whose picture is on screen; 0 before the first.
    int shownPage() const { return m_shownPage; }
    /// The fade overlay (tests).
    FadeOverlay* fadeOverlay() const { return m_fade; }
    /// Stops the picture being made and forgets the pictures made ahead
    /// (when the reading page is left).
    void releasePictures();

signals:
    void loadBegin();
    void loadFinished();
    void fullScreen();
    /// The picture of `page` (and the page after it in two-page mode) is on
    /// screen.
    void pageShown(int page);

public slots:
    void next();
    void previous();
    void moveToHome();
    void moveToEnd();
    void setOnePageMode();
    void setTwoPageMode();
    virtual void zoomIn() = 0;
    virtual void zoomOut() = 0;
    virtual void fitToPage() = 0;
    virtual void originalSize() = 0;
    /// Asks for the picture of the current page (or spread). Requests made
    /// while events are handled are gathered into one, on the next turn of
    /// the event loop.
    void loadPage();

protected:
    /// The way pictures are made now; called before every request. The
    /// loader forgets its pictures when the key changes.
    virtual PageLoader::Producer producer(QString* key) const = 0;
    /// Shows the picture of `page`.
    virtual void showPicture(int page, const PageLoader::Picture& picture) = 0;
    /// Whether the fade runs before a picture is made.
    virtual bool fadeInAllowed() const { return m_fadeEnabled; }
    /// Reads the fade flag and the profile's background colour from the
    /// settings and colours the view, its scroll bars and the fade.
    void applyProfile();
    /// Connects the document's page signal; call once the document exists.
    void watchDocument(ImageDocument* document);
    PageLoader* loader() { return &m_loader; }
    bool fadeEnabled() const { return m_fadeEnabled; }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

protected slots:
    virtual void onPageNumberChanged(int number);
    void loadingStarted();
    void loadingFinished(int page, const PageLoader::Picture& picture);
    void loadingCanceled();
    void fadeIn();
    void fadeOut();

private slots:
    void onClickTimer();
    void requestNow();

private:
    void addShortcut(const QKeySequence& keys, void (PageView::*slot)());

    QString m_path;
    PageLoader m_loader;
    QString m_producerKey;
    FadeOverlay* m_fade = nullptr;
    bool m_fadeEnabled = false;
    QPoint m_pressPos;
    bool m_pressed = false;
    QTimer m_clickTimer;
    QTimer m_loadTimer;
    int m_shownPage = 0;
};
