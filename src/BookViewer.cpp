#include "BookViewer.h"

#include "ImageDocument.h"
#include "ImageViewer.h"
#include "LoaderBox.h"
#include "MessageView.h"
#include "PDFViewer.h"
#include "ReadToolBar.h"
#include "Settings.h"
#include "TextDocument.h"
#include "TextViewer.h"
#include "UserContext.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QShowEvent>
#include <QSpacerItem>
#include <QStackedLayout>
#include <QStyle>
#include <QTextDocumentFragment>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcBookViewer, "lanternleaf.bookviewer", QtInfoMsg)

namespace {
enum StackIndex
{
    BusyIndex = 0,
    ViewerIndex = 1
};

// Side margin of the page area, matching the space left of the toolbar.
constexpr int kSideMargin = 50;

void paintWindow(QWidget* widget, const QColor& color)
{
    QPalette palette = widget->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, QPalette::Window, QBrush(color, Qt::SolidPattern));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    widget->update();
}
} // namespace

BookViewer::BookViewer(UserContext* context, QWidget* parent) : QFrame(parent), m_context(context)
{
    setObjectName("textViewer");
    setProperty("theFullScreen", false);
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(1500);
    connect(&m_saveTimer, &QTimer::timeout, m_context, &UserContext::savePosition);

    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    m_toolBarRow = new QHBoxLayout;
    m_toolBarRow->setContentsMargins(kSideMargin, 8, 0, 8);
    m_toolBarRow->setSpacing(0);
    m_toolBarColumn = new QVBoxLayout;
    m_toolBarColumn->setContentsMargins(0, 0, 0, 0);
    m_toolBarColumn->setSpacing(0);
    m_toolBarSpacer = new QSpacerItem(0, 8, QSizePolicy::Minimum, QSizePolicy::Minimum);
    m_toolBarColumn->addItem(m_toolBarSpacer);
    m_toolBar = new ReadToolBar(this);
    m_toolBar->setFixedWidth(50);
    m_toolBarColumn->addWidget(m_toolBar, 1);
    m_toolBarRow->addLayout(m_toolBarColumn);
    root->addLayout(m_toolBarRow);

    m_pageColumn = new QVBoxLayout;
    m_pageColumn->setContentsMargins(0, 8, kSideMargin, 8);
    m_pageColumn->setSpacing(0);

    m_fullScreenBar = new QFrame(this);
    m_fullScreenBar->setObjectName("fullScreenBar");
    m_fullScreenBar->setFixedHeight(50);
    auto* bar = new QGridLayout(m_fullScreenBar);
    bar->setContentsMargins(9, 0, 9, 0);
    m_titleLabel = new QLabel(m_fullScreenBar);
    m_titleLabel->setObjectName("labelFullScreenTitle");
    m_titleLabel->setTextFormat(Qt::PlainText);
    QFont bold = m_titleLabel->font();
    bold.setWeight(75);
    m_titleLabel->setFont(bold);
    m_progressLabel = new QLabel(m_fullScreenBar);
    m_progressLabel->setObjectName("labelFullScreenProgress");
    m_progressLabel->setTextFormat(Qt::RichText);
    bar->addWidget(m_titleLabel, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    bar->addWidget(m_progressLabel, 0, 1, Qt::AlignRight | Qt::AlignVCenter);
    m_fullScreenBar->hide();
    m_pageColumn->addWidget(m_fullScreenBar);

    m_background = new QFrame(this);
    m_background->setObjectName("bookViewerBackground");
    m_pages = new QStackedLayout(m_background);
    m_pages->setContentsMargins(0, 0, 0, 0);
    m_loader = new LoaderBox(m_background);
    paintWindow(m_loader, Settings::instance()->data().profile().backgroundColor);
    m_pages->insertWidget(BusyIndex, m_loader);
    m_pages->insertWidget(ViewerIndex, new QFrame(m_background));
    m_pages->setCurrentIndex(BusyIndex);
    m_pageColumn->addWidget(m_background, 1);
    root->addLayout(m_pageColumn, 1);

    updateStyle();

    connect(m_toolBar, &ReadToolBar::fullScreen, this, &BookViewer::onFullScreen);
    connect(m_toolBar, &ReadToolBar::showContents, this, &BookViewer::toolBarShowContents);
    connect(m_toolBar, &ReadToolBar::switchColumnCount, this, &BookViewer::switchColumnCount);
    connect(m_toolBar, &ReadToolBar::search, this, &BookViewer::showSearch);
    connect(m_toolBar, &ReadToolBar::addBookmark, m_context, &UserContext::addBookmark);
    connect(m_toolBar, &ReadToolBar::increaseFont, m_context, &UserContext::increaseFont);
    connect(m_toolBar, &ReadToolBar::decreaseFont, m_context, &UserContext::decreaseFont);
    connect(m_toolBar, &ReadToolBar::nextProfile, m_context, &UserContext::nextProfile);
    connect(m_context, &UserContext::bookInfoChanged, this, &BookViewer::bookInfoChanged);
    connect(Settings::instance(), &Settings::changed, this, &BookViewer::onSettingsChanged);
}

BookViewer::~BookViewer()
{
    // The context must not keep a document that dies with the viewer.
    if (TextViewer* text = textViewer(); text && m_context->document() == text->document())
        m_context->setDocument(nullptr);
    if (PageView* pages = pageView(); pages && m_context->document() == pages->imageDocument())
        m_context->setDocument(nullptr);
    while (m_waitCursors > 0)
        popWaitCursor();
}

QWidget* BookViewer::viewer() const
{
    return m_pages->count() > ViewerIndex ? m_pages->widget(ViewerIndex) : nullptr;
}

TextViewer* BookViewer::textViewer() const
{
    return qobject_cast<TextViewer*>(viewer());
}

PageView* BookViewer::pageView() const
{
    return qobject_cast<PageView*>(viewer());
}

bool BookViewer::isBusy() const
{
    return m_pages->currentIndex() == BusyIndex;
}

// ---------------------------------------------------------------- opening

void BookViewer::openBook(const BookDto& book)
{
    qCDebug(lcBookViewer) << "BookViewer::openBook" << book.id << book.format;
    showBusyPage();
    m_busyCursor = true;
    // Paint the busy page before the synchronous parsing and layout; user
    // input waits, so nothing can start a second open meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    switch (BookFormat::viewerFor(book.format)) {
    case BookFormat::Viewer::Text:
        openTextBook(book);
        break;
    case BookFormat::Viewer::Pdf:
    case BookFormat::Viewer::Image:
        openPageBook(book, BookFormat::viewerFor(book.format));
        break;
    case BookFormat::Viewer::None:
        // Nothing can show this format: the busy page stays, and the
        // previous viewer with it.
        break;
    }
}

void BookViewer::openTextBook(const BookDto& book)
{
    m_context->setBook(book);
    setToolBarFor(BookFormat::Viewer::Text);

    m_context->setDocument(nullptr);
    auto* viewer = new TextViewer(book, m_background);
    viewer->hide();
    viewer->setGeometry(m_loader->geometry());
    TextDocument* document = viewer->document();
    m_context->setDocument(document);
    m_context->updateBookInfo();

    // Not in the original wiring of text books, but without it a text load
    // would never show the wait cursor that loadFinished() takes away.
    connect(viewer, &TextViewer::loadBegin, this, &BookViewer::loadBegin);
    connect(viewer, &TextViewer::loadFinished, this, &BookViewer::loadFinished);
    replaceViewer(viewer);

    connect(document, &TextDocument::endResizePage, this, &BookViewer::onEndChangeDocSize);
    // Before the load too: going to the stored place may wait (behind the
    // busy page) until the text is mapped.
    connect(document, &TextDocument::beginResizePage, this, &BookViewer::onBeginChageDocSize);
    // Set before the load: the load paginates for the page area at once, and
    // the place must be restored when that first layout ends.
    // The rest of a book shown from its opening may still turn out damaged:
    // handled as a failed open, once the document's own signal is over.
    const QPointer<TextDocument> loading(document);
    connect(
        document, &TextDocument::loadFailed, this,
        [this, book, loading] {
            if (loading && textViewer() && textViewer()->document() == loading)
                handleOpenFailure(book, loading);
        },
        Qt::QueuedConnection);
    m_restorePending = true;
    viewer->load();
    if (handleOpenFailure(book, document))
        return;

    connect(document, &TextDocument::columnCountChanged, this, &BookViewer::onColumnCountChanged);
    connect(viewer, &TextViewer::mouseDoubleClick, this, &BookViewer::onFullScreen);
    connect(viewer, &TextViewer::reloadBegin, this, &BookViewer::reloadBegin);
    connect(viewer, &TextViewer::reloadFinished, this, &BookViewer::reloadFinished);
    connect(document, &TextDocument::pageChanged, m_context, &UserContext::updateBookInfo);
    connect(document, &TextDocument::pageNumbersChanged, m_context, &UserContext::updateBookInfo);
    connect(document, &TextDocument::pageChanged, this, &BookViewer::schedulePositionSave);
    m_toolBar->setColumnCount(document->columnCount());
    m_context->updateBookInfo();
}

void BookViewer::openPageBook(const BookDto& book, BookFormat::Viewer kind)
{
    const bool pdf = kind == BookFormat::Viewer::Pdf;
    // A PDF's pages appear one by one without blocking: no wait cursor.
    m_busyCursor = !pdf;
    m_context->setBook(book);
    setToolBarFor(kind);

    m_context->setDocument(nullptr);
    PageView* viewer = pdf ? static_cast<PageView*>(new PDFViewer(book, m_background))
                           : static_cast<PageView*>(new ImageViewer(book, m_background));
    viewer->setGeometry(m_loader->geometry());
    viewer->hide();
    replaceViewer(viewer);
    ImageDocument* document = viewer->imageDocument();
    m_context->setDocument(document);
    m_context->updateBookInfo();

    connect(viewer, &PageView::loadBegin, this, &BookViewer::loadBegin);
    connect(viewer, &PageView::loadFinished, this, &BookViewer::loadFinished);
    connect(viewer, &PageView::fullScreen, this, &BookViewer::onFullScreen);
    connect(m_toolBar, &ReadToolBar::zoomIn, viewer, &PageView::zoomIn);
    connect(m_toolBar, &ReadToolBar::zoomOut, viewer, &PageView::zoomOut);
    connect(m_toolBar, &ReadToolBar::fitSize, viewer, &PageView::fitToPage);
    connect(m_toolBar, &ReadToolBar::original, viewer, &PageView::originalSize);
    if (document) {
        connect(document, &ImageDocument::pageNumberChanged, m_context, &UserContext::updateBookInfo);
        connect(document, &ImageDocument::pageNumberChanged, this, &BookViewer::schedulePositionSave);
        connect(document, &ImageDocument::columnCountChanged, this, &BookViewer::onColumnCountChanged);
    }

    m_restorePending = true;
    viewer->load();
    if (handleOpenFailure(book, document))
        return;
    m_toolBar->setColumnCount(document->columnCount());
    // Restored here, once: left pending, the next window resize would throw
    // the reader back to the page the book was opened at.
    applyRestore();
    m_context->updateBookInfo();
}

bool BookViewer::handleOpenFailure(const BookDto& book, const IDocument* document)
{
    const bool failed = !document || !document->isLoaded() || document->pageCount() <= 0;
    if (!failed)
        return false;
    const QString reason = document ? document->errorString() : QString();
    // A text book without pages but without a reason is an empty book, shown
    // as such; a page book without pages has nothing to show at all.
    if (!textViewer() || !reason.isEmpty()) {
        qCDebug(lcBookViewer) << "BookViewer: cannot open" << book.full_path << reason;
        m_restorePending = false;
        m_context->setDocument(nullptr);
        replaceViewer(new QFrame(m_background));
        while (m_waitCursors > 0)
            popWaitCursor();
        if (!reason.isEmpty()) {
            MessageView box(tr("Can not open file"),
                            tr("The book \"%1\" cannot be opened.\n%2")
                                .arg(QDir::toNativeSeparators(book.full_path), reason),
                            this);
            box.exec();
        }
        emit openFailed();
        return true;
    }
    return false;
}

void BookViewer::replaceViewer(QWidget* viewer)
{
    QWidget* old = this->viewer();
    if (old) {
        m_pages->removeWidget(old);
        old->disconnect();
        disconnect(old, nullptr, this, nullptr);
    }
    m_pages->insertWidget(ViewerIndex, viewer);
    if (m_pages->currentIndex() != BusyIndex)
        m_pages->setCurrentIndex(BusyIndex);
    if (old) {
        old->close();
        delete old;
    }
}

void BookViewer::setToolBarFor(BookFormat::Viewer kind)
{
    const bool text = kind == BookFormat::Viewer::Text;
    m_toolBar->setIncreaseFontHidden(!text);
    m_toolBar->setDecreaseFontHidden(!text);
    m_toolBar->setZoomInHidden(text);
    m_toolBar->setZoomOutHidden(text);
    m_toolBar->setFitSizeHidden(text);
    m_toolBar->setOriginalHidden(text);
}

// ---------------------------------------------------------------- busy page and viewer page

void BookViewer::showBusyPage()
{
    m_pages->setCurrentIndex(BusyIndex);
}

void BookViewer::showViewerPage()
{
    QWidget* page = viewer();
    if (!page)
        return;
    // A hidden page is not resized with the stack; give it the page area
    // before it shows so it never paints at a stale size.
    if (m_pages->currentIndex() != ViewerIndex)
        page->setGeometry(m_loader->geometry());
    m_pages->setCurrentIndex(ViewerIndex);
}

void BookViewer::applyRestore()
{
    if (!m_restorePending)
        return;
    m_context->restorePosition();
    m_restorePending = false;
}

void BookViewer::popWaitCursor()
{
    if (m_waitCursors <= 0)
        return;
    --m_waitCursors;
    QApplication::restoreOverrideCursor();
}

void BookViewer::loadBegin()
{
    qCDebug(lcBookViewer) << "BookViewer::loadBegin";
    showBusyPage();
    if (m_busyCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_waitCursors;
    }
}

void BookViewer::loadFinished()
{
    qCDebug(lcBookViewer) << "BookViewer::loadFinished";
    updateStyle();
    // A book still on its way to the stored place shows it when it gets
    // there (end of the resize).
    const TextViewer* text = textViewer();
    if (!text || !text->document()->isWaitingForPlace())
        showViewerPage();
    popWaitCursor();
}

void BookViewer::onBeginChageDocSize()
{
    qCDebug(lcBookViewer) << "BookViewer::onBeginChageDocSize";
    showBusyPage();
}

void BookViewer::onEndChangeDocSize()
{
    qCDebug(lcBookViewer) << "BookViewer::onEndChangeDocSize";
    showViewerPage();
    applyRestore();
}

void BookViewer::reloadBegin()
{
    qCDebug(lcBookViewer) << "BookViewer::reloadBegin";
    showBusyPage();
}

void BookViewer::reloadFinished()
{
    qCDebug(lcBookViewer) << "BookViewer::reloadFinished";
    showViewerPage();
}

void BookViewer::beginResize()
{
    qCDebug(lcBookViewer) << "BookViewer::beginResize";
    onBeginChageDocSize();
}

void BookViewer::endResize()
{
    qCDebug(lcBookViewer) << "BookViewer::endResize";
    if (IDocument* document = m_context->document())
        document->setViewPortSize(m_loader->size());
    showViewerPage();
    QCoreApplication::processEvents();
    applyRestore();
}

// ---------------------------------------------------------------- toolbar and settings

void BookViewer::onFullScreen()
{
    qCDebug(lcBookViewer) << "BookViewer::onFullScreen";
    emit fullScreen();
}

void BookViewer::toolBarShowContents()
{
    emit showContents();
}

void BookViewer::switchColumnCount()
{
    m_context->switchColumnCount();
}

void BookViewer::columnCountChanged(int count)
{
    m_toolBar->setColumnCount(count);
}

void BookViewer::onColumnCountChanged(int columns)
{
    m_toolBar->setColumnCount(columns);
    m_context->updateBookInfo();
}

void BookViewer::onSettingsChanged()
{
    updateStyle();
}

void BookViewer::updateStyle()
{
    const ReaderSettings settings = Settings::instance()->data();
    const ReadingProfile profile = settings.profile();
    for (QWidget* widget : {static_cast<QWidget*>(m_toolBar), static_cast<QWidget*>(m_fullScreenBar),
                            static_cast<QWidget*>(this), static_cast<QWidget*>(m_background)})
        paintWindow(widget, profile.workgroundColor);
    paintWindow(m_loader, profile.backgroundColor);
    // The bar lies on the workground, which is dark in profiles whose text
    // is dark too (Night, Sepia): take the profile colour that stands out.
    QColor labelColor = profile.textColor;
    const int ground = profile.workgroundColor.lightness();
    if (qAbs(labelColor.lightness() - ground) < 100) {
        for (const QColor& candidate :
             {profile.backgroundColor, profile.captionColor, profile.pageNumberColor})
            if (qAbs(candidate.lightness() - ground) > qAbs(labelColor.lightness() - ground))
                labelColor = candidate;
    }
    const QString labelStyle = QStringLiteral("QLabel {color:%1;}").arg(labelColor.name());
    m_titleLabel->setStyleSheet(labelStyle);
    m_progressLabel->setStyleSheet(labelStyle);
    m_toolBar->setColumnCount(settings.columnCount);
}

// ---------------------------------------------------------------- title, progress, full screen

void BookViewer::bookInfoChanged(const QString& title, const QString& progress)
{
    // Eliding the markup could cut a tag in half: elide the plain text and
    // let the label's font carry the weight.
    m_plainTitle = QTextDocumentFragment::fromHtml(title).toPlainText();
    updateTitleLabel();
    m_progressLabel->setText(progress);
}

void BookViewer::updateTitleLabel()
{
    const QFontMetrics metrics(m_titleLabel->font());
    m_titleLabel->setText(metrics.elidedText(m_plainTitle, Qt::ElideMiddle, width() * 35 / 100));
}

void BookViewer::setFullScreen(bool full)
{
    m_toolBar->setBigIcons(full);
    m_fullScreenBar->setVisible(full);
    m_toolBarRow->setContentsMargins(kSideMargin, full ? 50 : 8, 0, full ? 0 : 8);
    m_toolBarSpacer->changeSize(0, full ? 20 : 8, QSizePolicy::Minimum, QSizePolicy::Minimum);
    m_pageColumn->setContentsMargins(0, full ? 0 : 8, kSideMargin, full ? 0 : 8);
    m_toolBarColumn->invalidate();
    setProperty("theFullScreen", full);
    style()->unpolish(this);
    style()->polish(this);
    update();
    updateStyle();
}

// ---------------------------------------------------------------- showing and hiding

void BookViewer::showEvent(QShowEvent* event)
{
    // Coming back from a minimised window is not a new visit of the page.
    if (!event->spontaneous())
        showBusyPage();
    QFrame::showEvent(event);
}

void BookViewer::schedulePositionSave()
{
    // Until the stored place has been restored, the page is the layout's
    // starting page, not the reader's: saving it would lose the place.
    if (!m_restorePending)
        m_saveTimer.start();
}

void BookViewer::hideEvent(QHideEvent* event)
{
    m_saveTimer.stop();
    m_context->savePosition();
    // Pictures made ahead are megabytes each; the next visit opens anew.
    if (PageView* pages = pageView())
        pages->releasePictures();
    QFrame::hideEvent(event);
}

void BookViewer::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    updateTitleLabel();
}
