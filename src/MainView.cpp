#include "MainView.h"

#include "BookProvider.h"

#include "Application.h"
#include "BookEditPropertiesView.h"
#include "BookFormat.h"
#include "BookModel.h"
#include "BookViewer.h"
#include "FileDialogs.h"
#include "FolderModel.h"
#include "HeaderBar.h"
#include "HelpView.h"
#include "LibraryView.h"
#include "Logger.h"
#include "MessageView.h"
#include "OverlayController.h"
#include "Paths.h"
#include "SearchView.h"
#include "SettingsView.h"
#include "SizeGrip.h"
#include "StartView.h"
#include "TocView.h"
#include "UserContext.h"
#include "WindowBar.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedLayout>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

Q_LOGGING_CATEGORY(lcMainView, "lanternleaf.mainview", QtInfoMsg)

namespace {
const char* const kProgramTitle = "Lanternleaf";
const QSize kDefaultSize(940, 640);

void restyle(QWidget* widget)
{
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

} // namespace

MainView::MainView(QWidget* parent) : QFrame(parent)
{
    setObjectName("mainView");
    setWindowFlags(windowFlags() | Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowTitle(QLatin1String(kProgramTitle));
    setMinimumSize(kDefaultSize);
    setProperty("theFullScreen", false);

    if (Application* app = Application::instance(); app && app->userContext()) {
        m_context = app->userContext();
    } else {
        m_ownContext = std::make_unique<UserContext>();
        m_context = m_ownContext.get();
    }

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    m_shadow = new QFrame(this);
    m_shadow->setObjectName("mainViewShadow");
    m_shadow->setProperty("theFullScreen", false);
    outer->addWidget(m_shadow);

    auto* column = new QVBoxLayout(m_shadow);
    column->setContentsMargins(1, 1, 1, 1);
    column->setSpacing(0);

    m_windowBar = new WindowBar(m_shadow);
    m_windowBar->setTitle(QLatin1String(kProgramTitle));
    column->addWidget(m_windowBar);

    m_header = new HeaderBar(m_shadow);
    column->addWidget(m_header);

    // The application owns the shared models; a window made without it
    // (tests) gets its own.
    if (auto* app = qobject_cast<Application*>(QCoreApplication::instance())) {
        m_bookModel = app->bookModel();
        m_folderModel = app->folderModel();
    } else {
        m_bookModel = new BookModel(this);
        m_folderModel = new FolderModel(this);
        m_folderModel->selectAll();
    }

    m_pageArea = new QWidget(m_shadow);
    m_pageArea->setObjectName("pageArea");
    m_pages = new QStackedLayout(m_pageArea);
    m_pages->setContentsMargins(0, 0, 0, 0);
    m_startPage = new StartView(m_pageArea);
    m_library = new LibraryView(m_bookModel, m_folderModel, m_pageArea);
    m_libraryPage = m_library;
    m_bookViewer = new BookViewer(m_context, m_pageArea);
    m_pages->insertWidget(StartPage, m_startPage);
    m_pages->insertWidget(LibraryPage, m_libraryPage);
    m_pages->insertWidget(ReadingPage, m_bookViewer);
    column->addWidget(m_pageArea, 1);

    m_sizeGrip = new SizeGrip(this);
    m_sizeGrip->setFixedSize(16, 16);

    buildOverlays();
    setProperty("theStartView", true);
    connectParts();
    restoreWindowGeometry();

    m_currentBook = recentBook();
    updateContinueButton();
    onStartUp();
    onViewModeChanged(m_pages->currentIndex());
}

MainView::~MainView()
{
    saveWindowGeometry();
    // The reading page uses the user context to the end; a context of the
    // window's own dies with the members, before the child widgets would.
    delete m_bookViewer;
    m_bookViewer = nullptr;
}

int MainView::currentPage() const
{
    return m_pages->currentIndex();
}

void MainView::buildOverlays()
{
    m_overlays = new OverlayController(this, m_pageArea);

    m_tocView = new TocView(this);
    m_searchView = new SearchView(m_context, this);
    auto* settings = new SettingsView(this);
    connect(settings, &SettingsView::onHideWindow, this, &MainView::onHideSettings);
    m_settingsPage = settings;
    m_settingsPage->setMinimumWidth(720);
    auto* help = new HelpView(this);
    connect(help, &HelpView::onHideWindow, this, [this] { hideWindowAnimated(m_helpPage); });
    m_helpPage = help;
    m_helpPage->setMinimumWidth(720);
    m_bookEdit = new BookEditPropertiesView(m_bookModel, this);
    m_editPage = m_bookEdit;
    m_editPage->setMinimumWidth(720);
    for (QWidget* overlay : {static_cast<QWidget*>(m_tocView), static_cast<QWidget*>(m_searchView),
                             m_settingsPage, m_helpPage, m_editPage})
        overlay->hide();
}

void MainView::connectParts()
{
    connect(m_windowBar, &WindowBar::minimizeWindow, this, &MainView::onMinimize);
    connect(m_windowBar, &WindowBar::closeWindow, this, &MainView::onClose);
    connect(m_windowBar, &WindowBar::maximizeWindow, this, &MainView::onMaximize);
    connect(m_header, &Frame::mouseDoubleClick, this, &MainView::onMaximize);

    connect(m_header, &HeaderBar::libraryClicked, this, &MainView::buttonLibrary);
    connect(m_header, &HeaderBar::addBookClicked, this, &MainView::buttonAddBook);
    connect(m_header, &HeaderBar::addFolderClicked, this, &MainView::buttonAddFolder);
    connect(m_header, &HeaderBar::contentsClicked, this, &MainView::buttonContents);
    connect(m_header, &HeaderBar::continueClicked, this, &MainView::continueReading);
    connect(m_header, &HeaderBar::settingsClicked, this, &MainView::onShowSettings);
    connect(m_header, &HeaderBar::helpClicked, this, &MainView::onNavigateToSiteHelp);

    connect(m_startPage, &StartView::addBook, this, &MainView::buttonAddBook);
    connect(m_startPage, &StartView::switchToLibrary, this, &MainView::toLibrary);
    connect(m_startPage, &StartView::droppedFiles, this,
            [this](const QFileInfoList& files) { libraryAddFiles(files); });
    connect(m_library, &LibraryView::bookOpen, this, &MainView::onBookOpened);
    connect(m_library, &LibraryView::bookEdit, this, &MainView::onEditBook);
    connect(m_library, &LibraryView::addComplete, this, &MainView::onAddComplete);
    connect(m_bookEdit, &BookEditPropertiesView::onHideWindow, this, &MainView::hideWindowAnimated);
    connect(m_bookEdit, &BookEditPropertiesView::updated, this, [this](int bookId) {
        if (bookId == m_currentBook.id) {
            m_currentBook = bookById(bookId);
            updateContinueButton();
        }
    });

    connect(m_header, &HeaderBar::searchRequested, this, &MainView::onSearch);
    connect(m_header, &HeaderBar::searchEdited, this, &MainView::onFilterChanged);
    connect(m_header, &HeaderBar::searchCleared, this, &MainView::onCleanSearch);

    connect(m_tocView, &TocView::hideWindow, this, &MainView::onHideContents);
    connect(m_tocView, &TocView::navigateToPosition, this, &MainView::onNavigateToPosition);
    connect(m_searchView, &SearchView::hideWindow, this, &MainView::onHideSearchPanel);
    connect(m_searchView, &SearchView::navigateToPosition, this, &MainView::onNavigateToPosition);
    connect(m_searchView, &SearchView::navigateToPage, this, &MainView::onNavigateToPage);
    connect(m_searchView, &SearchView::clean, this, [this] { m_header->setSearchText(QString()); });

    connect(m_bookViewer, &BookViewer::showContents, this, &MainView::onShowContents);
    connect(m_bookViewer, &BookViewer::fullScreen, this, &MainView::onFullScreen);
    connect(m_bookViewer, &BookViewer::showSearch, this, &MainView::onShowSearchPanel);
    connect(m_bookViewer, &BookViewer::openFailed, this, &MainView::onOpenFailed);
    connect(m_context, &UserContext::bookInfoChanged, this, &MainView::bookInfoChanged);
    connect(m_context, &UserContext::searhingTextChanged, this, &MainView::onSearchTextChanged);

    connect(m_sizeGrip, &SizeGrip::beginResize, this, &MainView::onBeginResize);
    connect(m_sizeGrip, &SizeGrip::endResize, this, &MainView::onEndResize);
    connect(m_pages, &QStackedLayout::currentChanged, this, &MainView::onViewModeChanged);

    auto* f11 = new QShortcut(QKeySequence(Qt::Key_F11), this);
    connect(f11, &QShortcut::activated, this, &MainView::onHotKeyF11);
    auto* h = new QShortcut(QKeySequence(Qt::Key_H), this);
    connect(h, &QShortcut::activated, this, &MainView::onHotKeyH);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, &MainView::onHotKeyEsc);
}

// ---------------------------------------------------------------- messages

void MainView::handleMessage(const QString& message)
{
    logDebug(QStringLiteral("main_view msg:%1").arg(message));
    if (message.isEmpty())
        return;
    m_lastFiles.clear();
    QFileInfoList books;
    const QStringList parts = message.split(QLatin1Char('|'), Qt::KeepEmptyParts);
    for (const QString& part : parts) {
        if (part.isEmpty() || !QFileInfo::exists(part))
            continue;
        m_lastFiles << part;
        books << QFileInfo(part);
    }
    addBookAndStartRead(books);
}

bool MainView::isSupportedBook(const QFileInfo& file)
{
    return file.isFile() && BookFormat::isAccepted(file.suffix());
}

void MainView::addBookAndStartRead(const QFileInfoList& books)
{
    if (books.isEmpty())
        return;
    QFileInfoList toAdd;
    for (const QFileInfo& book : books) {
        if (!isSupportedBook(book))
            continue;
        const QString path = QDir::toNativeSeparators(book.absoluteFilePath());
        if (!libraryHoldsPath(path))
            toAdd << book;
        m_bookToStartReading = path;
    }
    if (!toAdd.isEmpty())
        libraryAddFiles(toAdd, false);
    else
        onAddComplete();
}

void MainView::onAddComplete()
{
    // The first books make the start page give way to the library.
    if (currentPage() == StartPage && libraryHasBooks()) {
        m_pages->setCurrentIndex(LibraryPage);
        m_library->readSettings();
    }
    if (m_bookToStartReading.isEmpty() || !QFileInfo::exists(m_bookToStartReading))
        return;
    const BookDto book = bookByPath(m_bookToStartReading);
    m_bookToStartReading.clear();
    // A failed lookup keeps the book "Continue reading" already offers.
    if (book.id <= 0)
        return;
    m_currentBook = book;
    updateContinueButton();
    QMetaObject::invokeMethod(this, &MainView::continueReading, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- pages

void MainView::onStartUp()
{
    if (libraryHasBooks()) {
        m_pages->setCurrentIndex(LibraryPage);
        m_library->readSettings();
    } else {
        m_pages->setCurrentIndex(StartPage);
    }
}

void MainView::onViewModeChanged(int mode)
{
    m_header->setPage(mode);
    // Results belong to the book they were found in.
    if (mode != ReadingPage)
        m_searchView->reset();
    if (mode != ReadingPage)
        updateWindowTitle(QString());

    // Back from reading: the book just read changed its place in the
    // lists (recently read, progress).
    if (mode == LibraryPage && m_lastPage == ReadingPage)
        m_library->refresh();
    m_lastPage = mode;

    setProperty("theStartView", mode == StartPage);
    restyle(this);
    setFullScreenProperty(isFull());
    updateContinueButton();
}

void MainView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_pages)
        m_header->retranslate();
    QFrame::changeEvent(event);
}

void MainView::buttonLibrary()
{
    m_pages->setCurrentIndex(LibraryPage);
}

void MainView::toLibrary()
{
    m_pages->setCurrentIndex(LibraryPage);
}

void MainView::onOpenFailed()
{
    const int failed = m_currentBook.id;
    const BookDto previous = m_previousBook.id > 0 && m_previousBook.id != failed ? bookById(m_previousBook.id)
                                                                                   : BookDto();
    m_currentBook = previous.id > 0 ? previous : BookDto();
    m_previousBook = BookDto();
    toLibrary();
    updateWindowTitle(QString());
    updateContinueButton();
}

void MainView::buttonContents()
{
    onShowContents();
}

void MainView::updateContinueButton()
{
    m_header->setContinueBook(m_currentBook.id > 0, m_currentBook.title);
}

void MainView::onBookSelected(const BookDto& book)
{
    m_header->setContinueBook(book.id > 0, book.title);
}

void MainView::onBookOpened(int bookId)
{
    const BookDto book = bookById(bookId);
    if (book.id <= 0)
        return;
    if (book.id != m_currentBook.id)
        m_previousBook = m_currentBook;
    m_currentBook = book;
    updateContinueButton();
    continueReading();
}

void MainView::continueReading()
{
    if (m_currentBook.id <= 0)
        return;
    // The record may be older than the position saved when the book was last
    // left; opening (and marking) the stale copy would throw that place away.
    if (const BookDto fresh = bookById(m_currentBook.id); fresh.id > 0)
        m_currentBook = fresh;
    const QString path = QDir::toNativeSeparators(m_currentBook.full_path);
    if (!QFileInfo(path).isFile()) {
        MessageView box(
            tr("Failed to open file"),
            tr("The file you are trying to open was not found by the following path: %1").arg(path), this);
        box.exec();
        return;
    }
    // The viewer's copy carries the new time too: saving the position
    // writes the whole record back.
    m_currentBook.time_last_view = uint(QDateTime::currentSecsSinceEpoch());
    markBookOpened(m_currentBook);
    m_searchView->reset();
    m_pages->setCurrentIndex(ReadingPage);
    logDebug(QStringLiteral("Open book %1").arg(path));
    // The title first: a book that cannot be opened goes back to the
    // library from inside openBook(), and must not leave its name behind.
    updateWindowTitle(m_currentBook.title);
    m_bookViewer->openBook(m_currentBook);
}

void MainView::updateWindowTitle(const QString& bookTitle)
{
    const QString program = QLatin1String(kProgramTitle);
    const QString caption = bookTitle.isEmpty() ? program : QStringLiteral("%1 - %2").arg(bookTitle, program);
    setWindowTitle(caption);
    m_windowBar->setTitle(caption);
}

void MainView::bookInfoChanged(const QString& title, const QString& progress)
{
    m_header->setBookInfo(title, progress);
}

// ---------------------------------------------------------------- adding

void MainView::buttonAddBook()
{
    const QStringList files = FileDialogs::openFileNames(
        this, tr("Add book to library"),
        tr("eBook Files (*.epub *.mobi *.prc *.azw3 *.fb2 *.pdf *.djvu *.cbz *.cbr)"));
    if (files.isEmpty())
        return;
    addChosenFiles(files);
}

void MainView::addChosenFiles(const QStringList& files)
{
    QFileInfoList toAdd;
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!BookFormat::isAccepted(info.suffix())) {
            MessageView box(tr("Unable to add document"), tr("This file format is not supported."), this);
            box.exec();
            continue;
        }
        if (libraryHoldsPath(QDir::toNativeSeparators(info.absoluteFilePath()))) {
            MessageView box(tr("Unable to add document"),
                            tr("The document %1 has already been added").arg(info.fileName()), this);
            box.exec();
            continue;
        }
        toAdd << info;
    }
    if (toAdd.isEmpty())
        return;
    libraryAddFiles(toAdd);
    m_pages->setCurrentIndex(LibraryPage);
}

void MainView::buttonAddFolder()
{
    m_library->onAddDir();
}

// ---------------------------------------------------------------- search

void MainView::onFilterChanged(const QString& text)
{
    if (currentPage() == StartPage)
        m_pages->setCurrentIndex(LibraryPage);
    if (currentPage() == LibraryPage)
        m_library->filterBooks(text);
}

void MainView::onSearch(const QString& text)
{
    if (currentPage() == ReadingPage) {
        m_searchView->onSearch(text);
        onShowSearchPanel();
        return;
    }
    onFilterChanged(text);
}

void MainView::onSearchTextChanged(const QString& text)
{
    if (currentPage() == ReadingPage)
        m_header->setSearchText(text);
}

void MainView::onCleanSearch()
{
    if (currentPage() == ReadingPage)
        m_searchView->onCleanSearch();
    else
        onFilterChanged(QString());
}

void MainView::onNavigateToPosition(int position)
{
    if (currentPage() == ReadingPage)
        m_context->navigateToPosition(position);
}

void MainView::onNavigateToPage(int page)
{
    if (currentPage() == ReadingPage)
        m_context->navigateToPage(page);
}

// ---------------------------------------------------------------- overlays

void MainView::onShowContents()
{
    // Refilled every time: pages follow the current font and layout, and the
    // bookmarks may have changed since.
    const IDocument* document = m_context->document();
    m_tocView->setBookmarks(document ? BookProvider::instance()->bookmarks(m_context->book().id)
                                     : QList<BookmarkDto>(),
                            document);
    m_tocView->setToc(document ? document->toc() : QList<TocPoint>());
    showWindowAnimated(m_tocView);
    m_tocView->setCurrentPosition(document ? document->position() : 0);
}

void MainView::onHideContents()
{
    hideWindowAnimated(m_tocView);
}

void MainView::onShowSettings()
{
    showWindowAnimated(settingsPage());
}

void MainView::onHideSettings()
{
    hideWindowAnimated(settingsPage());
}

void MainView::onShowSearchPanel()
{
    // Without the header (full screen) the panel brings its own field.
    m_searchView->setSearchFieldVisible(isFull());
    showWindowAnimated(m_searchView);
}

void MainView::onHideSearchPanel()
{
    hideWindowAnimated(m_searchView);
}

void MainView::onEditBook(int id)
{
    m_bookEdit->loadBook(id);
    showWindowAnimated(m_bookEdit);
}

void MainView::showWindowAnimated(QWidget* widget)
{
    m_overlays->show(widget);
}

void MainView::hideWindowAnimated(QWidget* widget)
{
    m_overlays->hide(widget);
}

void MainView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    m_header->fit();
    m_sizeGrip->move(width() - m_sizeGrip->width() - 1, height() - m_sizeGrip->height() - 1);
    m_sizeGrip->raise();
    m_overlays->relayout();
}

// ---------------------------------------------------------------- window modes

void MainView::onMinimize()
{
    showMinimized();
}

void MainView::onClose()
{
    close();
}

void MainView::onMaximize()
{
    // Full screen has no title bar or header to come from; leave it by its own keys.
    if (isFull())
        return;
    const bool reading = currentPage() == ReadingPage;
    if (reading)
        viewerBeginResize();
    if (!isMax()) {
        m_normalGeometry = geometry();
        m_prevMode = m_mode;
        m_mode = Maximized;
        maximize();
    } else {
        m_prevMode = m_mode;
        m_mode = Normal;
        normal();
    }
    if (reading)
        viewerEndResize();
}

void MainView::onFullScreen()
{
    const bool reading = currentPage() == ReadingPage;
    if (reading)
        viewerBeginResize();
    if (!isFull()) {
        if (m_mode == Normal)
            m_normalGeometry = geometry();
        m_prevMode = m_mode;
        m_mode = FullScreen;
        fullScreen();
    } else {
        m_mode = m_prevMode == Maximized ? Maximized : Normal;
        m_prevMode = FullScreen;
        if (m_mode == Maximized)
            maximize();
        else
            normal();
    }
    if (reading)
        viewerEndResize();
}

QScreen* MainView::windowScreen() const
{
    if (QWindow* handle = windowHandle(); handle && handle->screen())
        return handle->screen();
    if (QScreen* screen = QGuiApplication::screenAt(geometry().center()))
        return screen;
    return QGuiApplication::primaryScreen();
}

void MainView::setChromeVisible(bool visible)
{
    m_windowBar->setVisible(visible);
    m_header->setVisible(visible);
    m_sizeGrip->setVisible(visible && m_mode == Normal);
    m_shadow->layout()->setContentsMargins(visible ? QMargins(1, 1, 1, 1) : QMargins());
    m_windowBar->setMaximized(m_mode == Maximized);
}

void MainView::setFullScreenProperty(bool full)
{
    setProperty("theFullScreen", full);
    m_shadow->setProperty("theFullScreen", full);
    restyle(this);
    restyle(m_shadow);
}

void MainView::fitMinimumSizeTo(const QRect& area)
{
    // On a screen smaller than the usual minimum the window must still fit
    // when it fills the screen.
    setMinimumSize(kDefaultSize.boundedTo(area.size()));
}

void MainView::fullScreen()
{
    const QRect area = windowScreen()->geometry();
    fitMinimumSizeTo(area);
    setGeometry(area);
    setChromeVisible(false);
    m_shadow->layout()->setSpacing(0);
    viewerSetFullScreen(true);
    QCoreApplication::processEvents();
    setFullScreenProperty(true);
}

void MainView::maximize()
{
    const QRect area = windowScreen()->availableGeometry();
    fitMinimumSizeTo(area);
    setGeometry(area);
    viewerSetFullScreen(false);
    setChromeVisible(true);
    setFullScreenProperty(false);
}

void MainView::normal()
{
    fitMinimumSizeTo(windowScreen()->availableGeometry());
    setGeometry(m_normalGeometry);
    viewerSetFullScreen(false);
    setChromeVisible(true);
    setFullScreenProperty(false);
}

void MainView::onHotKeyEsc()
{
    // A panel first, then full screen.
    if (QWidget* panel = m_overlays->active()) {
        hideWindowAnimated(panel);
        return;
    }
    if (isFull())
        onFullScreen();
}

void MainView::onHotKeyF11()
{
    if (currentPage() == ReadingPage)
        onFullScreen();
}

void MainView::onHotKeyH()
{
    onMinimize();
}

void MainView::onBeginResize()
{
    if (currentPage() == ReadingPage)
        viewerBeginResize();
}

void MainView::onEndResize()
{
    if (currentPage() == ReadingPage)
        viewerEndResize();
}

void MainView::mousePressEvent(QMouseEvent* event)
{
    if (m_mode == Normal && event->button() == Qt::LeftButton) {
        m_dragOffset = event->globalPos() - frameGeometry().topLeft();
        m_dragging = true;
    }
    QFrame::mousePressEvent(event);
}

void MainView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && m_mode == Normal && (event->buttons() & Qt::LeftButton))
        move(event->globalPos() - m_dragOffset);
    QFrame::mouseMoveEvent(event);
}

void MainView::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QFrame::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------- geometry across runs

QRect MainView::defaultGeometry()
{
    QRect rect(QPoint(0, 0), kDefaultSize);
    if (QScreen* primary = QGuiApplication::primaryScreen())
        rect.moveCenter(primary->availableGeometry().center());
    return rect;
}

void MainView::restoreWindowGeometry()
{
    const auto settings = Paths::settings();
    const QList<QScreen*> screens = QGuiApplication::screens();
    const QRect fallback = defaultGeometry();
    QRect rect = settings->value("mainview.geometry", fallback).toRect();
    const int screenNumber =
        settings->value("mainview.screen", screens.indexOf(QGuiApplication::primaryScreen())).toInt();

    // The title bar is the only handle of a frameless window: a rectangle
    // whose top strip is not on the stored screen (or whose screen is gone)
    // could never be dragged back, so it gives way to the default.
    bool usable = rect.isValid() && screenNumber >= 0 && screenNumber < screens.size();
    if (usable) {
        const QRect available = screens.at(screenNumber)->availableGeometry();
        const QRect bar =
            QRect(rect.left(), rect.top(), rect.width(), m_windowBar->height()).intersected(available);
        usable = bar.width() >= 100 && bar.height() >= m_windowBar->height() / 2;
    }
    if (!usable)
        rect = fallback;
    m_normalGeometry = rect;

    const bool reading = currentPage() == ReadingPage;
    if (reading)
        viewerBeginResize();
    setGeometry(rect);
    if (settings->value("mainview.state", Normal).toInt() == Maximized) {
        m_prevMode = Normal;
        m_mode = Maximized;
        maximize();
    } else {
        m_mode = Normal;
        normal();
    }
    if (reading)
        viewerEndResize();
}

void MainView::saveWindowGeometry()
{
    const auto settings = Paths::settings();
    const QRect normalGeometry = m_mode == Normal ? geometry() : m_normalGeometry;
    // Leaving in full screen reopens in the mode full screen was entered from.
    const int mode = m_mode == FullScreen ? m_prevMode : m_mode;
    settings->setValue("mainview.geometry", normalGeometry);
    settings->setValue("mainview.state", mode);
    settings->setValue("mainview.screen", QGuiApplication::screens().indexOf(windowScreen()));
}

// ---------------------------------------------------------------- help

void MainView::onNavigateToSite()
{
    // The program's own help page works offline: it stands in for the site.
    showWindowAnimated(m_helpPage);
}

void MainView::onNavigateToSiteHelp()
{
    showWindowAnimated(m_helpPage);
}

// ---------------------------------------------------------------- pages and panels not built in yet

void MainView::viewerBeginResize()
{
    if (m_bookViewer)
        m_bookViewer->beginResize();
}

void MainView::viewerEndResize()
{
    if (m_bookViewer)
        m_bookViewer->endResize();
}

void MainView::viewerSetFullScreen(bool full)
{
    if (m_bookViewer)
        m_bookViewer->setFullScreen(full);
}

void MainView::libraryAddFiles(const QFileInfoList& files, bool showCompleteMessage)
{
    m_lastAddRequest = files;
    m_library->onAddFiles(files, showCompleteMessage);
}

// ---------------------------------------------------------------- library database steps

bool MainView::libraryHasBooks() const
{
    return BookProvider::instance()->bookCount() > 0;
}

bool MainView::libraryHoldsPath(const QString& fullPath) const
{
    return BookProvider::instance()->getBookByPath(fullPath).id > 0;
}

BookDto MainView::recentBook() const
{
    const QList<BookDto> recent = BookProvider::instance()->selectRecentlyRead();
    return recent.isEmpty() ? BookDto() : recent.first();
}

BookDto MainView::bookById(int id) const
{
    return BookProvider::instance()->getBookById(id);
}

BookDto MainView::bookByPath(const QString& fullPath) const
{
    return BookProvider::instance()->getBookByPath(fullPath);
}

void MainView::markBookOpened(const BookDto& book)
{
    BookDto updated = book;
    updated.time_last_view = uint(QDateTime::currentSecsSinceEpoch());
    if (!BookProvider::instance()->updateBook(updated))
        logError(QStringLiteral("Update book [FAILED]. Error:%1").arg(BookProvider::instance()->lastError()));
}
