#include "MainView.h"

#include "BookProvider.h"

#include "Application.h"
#include "BookEditPropertiesView.h"
#include "BookModel.h"
#include "BookViewer.h"
#include "FileDialogs.h"
#include "FolderModel.h"
#include "Frame.h"
#include "HelpView.h"
#include "LibraryView.h"
#include "Logger.h"
#include "MessageView.h"
#include "Paths.h"
#include "SettingsView.h"
#include "SizeGrip.h"
#include "StartView.h"
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
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QSequentialAnimationGroup>
#include <QShortcut>
#include <QStackedLayout>
#include <QStyle>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QWindow>

Q_LOGGING_CATEGORY(lcMainView, "lanternleaf.mainview", QtInfoMsg)

namespace {
const char* const kProgramTitle = "Lanternleaf";
const QSize kDefaultSize(940, 640);
const int kDimOpacityMax = 60; // percent

void restyle(QWidget* widget)
{
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

// Stands in for a panel that a later version brings: its title, a plain
// note and a way out, so the slide-in never shows an empty white sheet.
QFrame* makePlaceholder(const QString& name, const QString& title, QWidget* parent, QPushButton** closeButton)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setProperty("placeholderPanel", true);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(32, 24, 24, 24);
    auto* top = new QHBoxLayout;
    auto* heading = new QLabel(title, frame);
    heading->setObjectName("labelPlaceholderTitle");
    auto* close = new QPushButton(frame);
    close->setObjectName("buttonClosePlaceholder");
    close->setText(QStringLiteral("\u2715"));
    close->setCursor(Qt::PointingHandCursor);
    close->setFixedSize(32, 32);
    top->addWidget(heading, 1);
    top->addWidget(close);
    layout->addLayout(top);
    auto* note = new QLabel(MainView::tr("Not available in this version."), frame);
    note->setObjectName("labelPlaceholderNote");
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addStretch(1);
    *closeButton = close;
    return frame;
}

QPushButton* makeHeaderButton(const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setIconSize(QSize(20, 20));
    return button;
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

    buildHeader();
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

void MainView::buildHeader()
{
    m_header = new Frame(m_shadow);
    m_header->setObjectName("header");
    m_header->setFixedHeight(60);

    auto* row = new QHBoxLayout(m_header);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(6);

    m_buttonLibrary = makeHeaderButton("buttonLibrary", m_header);
    m_buttonAddBook = makeHeaderButton("buttonAddBook", m_header);
    m_buttonAddFolder = makeHeaderButton("buttonAddFolder", m_header);
    m_buttonContents = makeHeaderButton("buttonContents", m_header);
    row->addWidget(m_buttonLibrary);
    row->addWidget(m_buttonAddBook);
    row->addWidget(m_buttonAddFolder);
    row->addWidget(m_buttonContents);
    row->addSpacing(12);

    m_titleLabel = new QLabel(m_header);
    m_titleLabel->setObjectName("labelBookTitle");
    m_titleLabel->setTextFormat(Qt::PlainText);
    QFont bold = m_titleLabel->font();
    bold.setWeight(75);
    m_titleLabel->setFont(bold);
    m_progressLabel = new QLabel(m_header);
    m_progressLabel->setObjectName("labelBookProgress");
    row->addWidget(m_titleLabel);
    row->addSpacing(10);
    row->addWidget(m_progressLabel);
    row->addStretch(1);

    // Stands in for the shared search field until the search panel's edit is
    // built in; textEdited (not textChanged) so clearing it on a page change
    // does not read as the user filtering.
    m_searchBox = new QFrame(m_header);
    m_searchBox->setObjectName("searchBox");
    m_searchBox->setFixedHeight(34);
    m_searchBox->setMinimumWidth(140);
    m_searchBox->setMaximumWidth(300);
    m_searchBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* searchRow = new QHBoxLayout(m_searchBox);
    searchRow->setContentsMargins(10, 0, 4, 0);
    m_search = new QLineEdit(m_searchBox);
    m_search->setObjectName("editSearch");
    m_search->setClearButtonEnabled(true);
    searchRow->addWidget(m_search);
    row->addWidget(m_searchBox);
    row->addSpacing(12);

    m_buttonContinue = makeHeaderButton("buttonContinueReading", m_header);
    m_buttonSettings = makeHeaderButton("buttonSettings", m_header);
    m_buttonHelp = makeHeaderButton("buttonHelp", m_header);
    row->addWidget(m_buttonContinue);
    row->addWidget(m_buttonSettings);
    row->addWidget(m_buttonHelp);
}

void MainView::buildOverlays()
{
    m_dimLayer = new QFrame(this);
    m_dimLayer->setObjectName("backgroundSettingsView");
    setDimOpacity(0.0);
    m_dimLayer->installEventFilter(this);
    m_dimLayer->hide();

    QPushButton* close = nullptr;
    m_contentsPanel = makePlaceholder("contentsPlaceholder", tr("Contents"), this, &close);
    connect(close, &QPushButton::clicked, this, &MainView::onHideContents);
    m_contentsPanel->setMinimumWidth(420);
    m_searchPanel = makePlaceholder("searchPanelPlaceholder", tr("Search"), this, &close);
    connect(close, &QPushButton::clicked, this, &MainView::onHideSearchPanel);
    m_searchPanel->setMinimumWidth(420);
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
    for (QWidget* overlay : {m_contentsPanel, m_searchPanel, m_settingsPage, m_helpPage, m_editPage})
        overlay->hide();
}

void MainView::connectParts()
{
    connect(m_windowBar, &WindowBar::minimizeWindow, this, &MainView::onMinimize);
    connect(m_windowBar, &WindowBar::closeWindow, this, &MainView::onClose);
    connect(m_windowBar, &WindowBar::maximizeWindow, this, &MainView::onMaximize);
    connect(m_header, &Frame::mouseDoubleClick, this, &MainView::onMaximize);

    connect(m_buttonLibrary, &QPushButton::clicked, this, &MainView::buttonLibrary);
    connect(m_buttonAddBook, &QPushButton::clicked, this, &MainView::buttonAddBook);
    connect(m_buttonAddFolder, &QPushButton::clicked, this, &MainView::buttonAddFolder);
    connect(m_buttonContents, &QPushButton::clicked, this, &MainView::buttonContents);
    connect(m_buttonContinue, &QPushButton::clicked, this, &MainView::continueReading);
    connect(m_buttonSettings, &QPushButton::clicked, this, &MainView::onShowSettings);
    connect(m_buttonHelp, &QPushButton::clicked, this, &MainView::onNavigateToSiteHelp);

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

    connect(m_search, &QLineEdit::returnPressed, this, [this] { onSearch(m_search->text()); });
    connect(m_search, &QLineEdit::textEdited, this, &MainView::onFilterChanged);

    connect(m_bookViewer, &BookViewer::showContents, this, &MainView::onShowContents);
    connect(m_bookViewer, &BookViewer::fullScreen, this, &MainView::onFullScreen);
    connect(m_bookViewer, &BookViewer::showSearch, this, &MainView::onShowSearchPanel);
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
    return file.isFile() && Application::supportedFormats().contains(file.suffix().toLower());
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
        libraryReadSettings();
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
        libraryReadSettings();
    } else {
        m_pages->setCurrentIndex(StartPage);
    }
}

void MainView::onViewModeChanged(int mode)
{
    m_search->clear();
    const bool start = mode == StartPage;
    const bool library = mode == LibraryPage;
    const bool reading = mode == ReadingPage;
    m_buttonAddBook->setVisible(!reading);
    m_buttonAddFolder->setVisible(!reading);
    m_buttonContents->setVisible(reading);
    m_searchBox->setVisible(!start);
    m_buttonContinue->setVisible(library && m_currentBook.id > 0);
    m_titleLabel->setVisible(reading);
    m_progressLabel->setVisible(reading);
    if (!reading)
        updateWindowTitle(QString());

    setProperty("theStartView", start);
    restyle(this);
    setFullScreenProperty(isFull());
    retranslateHeader();
}

void MainView::retranslateHeader()
{
    m_buttonLibrary->setText(tr("Library"));
    m_buttonAddBook->setText(tr("Add book"));
    m_buttonAddFolder->setText(tr("Add folder"));
    m_buttonContents->setText(tr("Contents"));
    m_buttonSettings->setText(tr("Settings"));
    m_buttonHelp->setText(tr("Help"));
    m_search->setPlaceholderText(currentPage() == ReadingPage ? tr("Search by text or by page number")
                                                              : tr("Search by title or author"));
    updateContinueButton();
    fitHeader();
}

void MainView::fitHeader()
{
    // Long translations or a narrow window: the plain buttons give up their
    // text one by one (kept as the tooltip), least used first, before
    // anything in the header is clipped.
    const QList<QPushButton*> buttons{m_buttonHelp,    m_buttonSettings, m_buttonAddFolder,
                                      m_buttonAddBook, m_buttonLibrary,  m_buttonContents};
    for (QPushButton* button : buttons) {
        if (button->text().isEmpty() && !button->toolTip().isEmpty())
            button->setText(button->toolTip());
    }
    for (QPushButton* button : buttons) {
        m_header->layout()->invalidate();
        if (m_header->layout()->minimumSize().width() <= width())
            return;
        if (button->isHidden())
            continue;
        button->setToolTip(button->text());
        button->setText(QString());
    }
}

void MainView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_pages)
        retranslateHeader();
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

void MainView::buttonContents()
{
    onShowContents();
}

QString MainView::continueText(const QString& title) const
{
    // The style sheet sets the button's text bold; measure it that way.
    QFont font = m_buttonContinue->font();
    font.setBold(true);
    return QFontMetrics(font).elidedText(title, Qt::ElideRight, 170);
}

void MainView::updateContinueButton()
{
    if (m_currentBook.id <= 0) {
        m_buttonContinue->hide();
        return;
    }
    m_buttonContinue->setText(continueText(m_currentBook.title));
    m_buttonContinue->setToolTip(tr("Continue reading \"%1\"").arg(m_currentBook.title));
    m_buttonContinue->setVisible(currentPage() == LibraryPage);
}

void MainView::onBookSelected(const BookDto& book)
{
    if (book.id <= 0) {
        m_buttonContinue->hide();
        return;
    }
    m_buttonContinue->setText(continueText(book.title));
    m_buttonContinue->setVisible(currentPage() == LibraryPage);
}

void MainView::onBookOpened(int bookId)
{
    const BookDto book = bookById(bookId);
    if (book.id <= 0)
        return;
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
    m_pages->setCurrentIndex(ReadingPage);
    logDebug(QStringLiteral("Open book %1").arg(path));
    viewerOpenBook(m_currentBook);
    updateWindowTitle(m_currentBook.title);
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
    // The title arrives as rich text; eliding the markup itself could cut a
    // tag in half, so elide the plain text and let the label's font be bold.
    m_rawTitle = QTextDocumentFragment::fromHtml(title).toPlainText();
    elideHeaderTitle();
    m_progressLabel->setText(progress);
}

// ---------------------------------------------------------------- adding

void MainView::buttonAddBook()
{
    const QStringList files =
        FileDialogs::openFileNames(this, tr("Add book to library"),
                                   tr("eBook Files (*.epub *.mobi *.prc *.fb2 *.pdf *.djvu *.cbz *.cbr)"));
    if (files.isEmpty())
        return;
    addChosenFiles(files);
}

void MainView::addChosenFiles(const QStringList& files)
{
    QFileInfoList toAdd;
    for (const QString& file : files) {
        const QFileInfo info(file);
        if (!Application::supportedFormats().contains(info.suffix().toLower())) {
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
    libraryAddDir();
}

// ---------------------------------------------------------------- search

void MainView::onFilterChanged(const QString& text)
{
    if (currentPage() == StartPage)
        m_pages->setCurrentIndex(LibraryPage);
    if (currentPage() == LibraryPage)
        libraryFilterBooks(text);
}

void MainView::onSearch(const QString& text)
{
    if (currentPage() == ReadingPage) {
        contextSetSearchText(text);
        onShowSearchPanel();
        return;
    }
    onFilterChanged(text);
}

void MainView::onSearchTextChanged(const QString& text)
{
    if (currentPage() == ReadingPage)
        m_search->setText(text);
}

void MainView::onCleanSearch()
{
    if (currentPage() == ReadingPage)
        contextClearSearch();
}

void MainView::onNavigateToPosition(int position)
{
    if (currentPage() == ReadingPage)
        contextNavigateToPosition(position);
}

void MainView::onNavigateToPage(int page)
{
    if (currentPage() == ReadingPage)
        contextNavigateToPage(page);
}

// ---------------------------------------------------------------- overlays

void MainView::onShowContents()
{
    contentsPrepare();
    showWindowAnimated(contentsPanel());
}

void MainView::onHideContents()
{
    hideWindowAnimated(contentsPanel());
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
    showWindowAnimated(searchPanel());
}

void MainView::onHideSearchPanel()
{
    hideWindowAnimated(searchPanel());
}

void MainView::onEditBook(int id)
{
    editPageLoad(id);
    showWindowAnimated(bookEditPage());
}

void MainView::setDimOpacity(qreal opacity)
{
    // A translucent colour rather than a graphics effect: a widget with an
    // effect repaints its whole rectangle over the panel above it whenever
    // part of the panel repaints, darkening patches of it.
    m_dimLayer->setStyleSheet(
        QStringLiteral("QFrame#backgroundSettingsView { background: rgba(0, 0, 0, %1); }")
            .arg(qRound(qBound(0.0, opacity, 1.0) * 255)));
}

QRect MainView::overlayRect(QWidget* widget) const
{
    // Panels slide in from the right edge over the page area, as wide as they
    // ask to be, never wider than the window.
    const QRect area(m_pageArea->mapTo(this, QPoint(0, 0)), m_pageArea->size());
    const int width = qBound(1, qMax(widget->minimumWidth(), widget->sizeHint().width()), area.width());
    return QRect(area.right() + 1 - width, area.top(), width, area.height());
}

void MainView::showWindowAnimated(QWidget* widget)
{
    if (!widget)
        return;
    if (m_overlayAnimation)
        m_overlayAnimation->stop();
    if (m_activeOverlay && m_activeOverlay != widget)
        m_activeOverlay->hide();
    m_activeOverlay = widget;

    const QRect target = overlayRect(widget);
    const QRect start = target.translated(target.width(), 0);
    const QRect area(m_pageArea->mapTo(this, QPoint(0, 0)), m_pageArea->size());
    m_dimLayer->setGeometry(area);
    m_dimLayer->show();
    m_dimLayer->raise();
    widget->setGeometry(start);
    widget->show();
    widget->raise();

    auto* group = new QSequentialAnimationGroup(this);
    auto* fade = new QVariantAnimation(group);
    fade->setDuration(100);
    fade->setStartValue(0.0);
    fade->setEndValue(kDimOpacityMax / 100.0);
    connect(fade, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setDimOpacity(value.toReal()); });
    auto* slide = new QPropertyAnimation(widget, "geometry", group);
    slide->setDuration(300);
    slide->setStartValue(start);
    slide->setEndValue(target);
    slide->setEasingCurve(QEasingCurve::OutCubic);
    group->addAnimation(fade);
    group->addAnimation(slide);
    QPointer<QWidget> guard(widget);
    connect(group, &QAbstractAnimation::finished, widget, [guard] {
        if (guard)
            guard->setFocus();
    });
    m_overlayAnimation = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainView::hideWindowAnimated(QWidget* widget)
{
    if (!widget || !widget->isVisible())
        return;
    if (m_overlayAnimation)
        m_overlayAnimation->stop();
    if (m_activeOverlay == widget)
        m_activeOverlay = nullptr;

    const QRect target = overlayRect(widget);
    auto* group = new QSequentialAnimationGroup(this);
    auto* slide = new QPropertyAnimation(widget, "geometry", group);
    slide->setDuration(300);
    slide->setStartValue(widget->geometry());
    slide->setEndValue(target.translated(target.width(), 0));
    slide->setEasingCurve(QEasingCurve::InCubic);
    QPointer<QWidget> guard(widget);
    connect(slide, &QAbstractAnimation::finished, widget, [guard] {
        if (guard)
            guard->hide();
    });
    auto* fade = new QVariantAnimation(group);
    fade->setDuration(100);
    fade->setStartValue(kDimOpacityMax / 100.0);
    fade->setEndValue(0.0);
    connect(fade, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setDimOpacity(value.toReal()); });
    connect(fade, &QAbstractAnimation::finished, m_dimLayer, [this] {
        if (!m_activeOverlay)
            m_dimLayer->hide();
    });
    group->addAnimation(slide);
    group->addAnimation(fade);
    m_overlayAnimation = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainView::elideHeaderTitle()
{
    // At most 40% of the header, and never more than the room the header's
    // other parts leave the label (a clipped title loses its end silently).
    int room = width() * 40 / 100;
    if (QLayout* row = m_header->layout(); row && m_header->isVisible()) {
        const int others = row->sizeHint().width() - m_titleLabel->sizeHint().width();
        room = qBound(40, m_header->width() - others, room);
    }
    const QString text = QFontMetrics(m_titleLabel->font()).elidedText(m_rawTitle, Qt::ElideMiddle, room);
    if (text != m_titleLabel->text())
        m_titleLabel->setText(text);
}

bool MainView::eventFilter(QObject* watched, QEvent* event)
{
    // A click on the dimmed page closes the panel over it.
    if (watched == m_dimLayer && event->type() == QEvent::MouseButtonPress && m_activeOverlay) {
        hideWindowAnimated(m_activeOverlay);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

void MainView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    fitHeader();
    elideHeaderTitle();
    m_sizeGrip->move(width() - m_sizeGrip->width() - 1, height() - m_sizeGrip->height() - 1);
    m_sizeGrip->raise();
    if (m_dimLayer->isVisible())
        m_dimLayer->setGeometry(QRect(m_pageArea->mapTo(this, QPoint(0, 0)), m_pageArea->size()));
    if (m_activeOverlay &&
        !(m_overlayAnimation && m_overlayAnimation->state() == QAbstractAnimation::Running))
        m_activeOverlay->setGeometry(overlayRect(m_activeOverlay));
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

void MainView::viewerOpenBook(const BookDto& book)
{
    qCDebug(lcMainView) << "viewer openBook" << book.id;
    m_bookViewer->openBook(book);
}

void MainView::libraryReadSettings()
{
    m_library->readSettings();
}

void MainView::libraryFilterBooks(const QString& text)
{
    m_library->filterBooks(text);
}

void MainView::libraryAddFiles(const QFileInfoList& files, bool showCompleteMessage)
{
    m_lastAddRequest = files;
    m_library->onAddFiles(files, showCompleteMessage);
}

void MainView::libraryAddDir()
{
    m_library->onAddDir();
}

void MainView::contentsPrepare() {}

void MainView::editPageLoad(int bookId)
{
    m_bookEdit->loadBook(bookId);
}

void MainView::contextSetSearchText(const QString& text)
{
    m_context->setSearchText(text);
}

void MainView::contextClearSearch()
{
    m_context->clearSearch();
}

void MainView::contextNavigateToPosition(int position)
{
    m_context->navigateToPosition(position);
}

void MainView::contextNavigateToPage(int page)
{
    m_context->navigateToPage(page);
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
