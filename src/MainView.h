#pragma once

#include "BookDto.h"
#include <QFileInfoList>

#include <QFrame>
#include <QRect>
#include <QString>
#include <memory>

class BookViewer;
class BookEditPropertiesView;
class BookModel;
class FolderModel;
class HeaderBar;
class LibraryView;
class OverlayController;
class QPushButton;
class QScreen;
class QStackedLayout;
class SearchView;
class SizeGrip;
class StartView;
class TocView;
class UserContext;
class WindowBar;

/// The program's one top-level window: frameless, with its own title bar,
/// header and resize grip, three pages (start, library, reading) and the
/// overlay panels slid in over them. Routes the header buttons, the shared
/// search field and the hot keys to the current page, keeps the three window
/// modes and saves and restores its geometry across runs.
/// GUI thread only.
class MainView : public QFrame
{
    Q_OBJECT
public:
    enum Page
    {
        StartPage = 0,
        LibraryPage = 1,
        ReadingPage = 2
    };
    enum WindowMode
    {
        Normal = 0,
        Maximized = 1,
        FullScreen = 2
    };

    /// Uses the application's user context; without an Application (tests)
    /// the window makes one of its own.
    explicit MainView(QWidget* parent = nullptr);
    /// Stores geometry, mode and screen for the next run.
    ~MainView() override;

    /// The parts of the last message that named existing files or folders.
    QStringList lastMessageFiles() const { return m_lastFiles; }
    int windowMode() const { return m_mode; }
    int currentPage() const;
    UserContext* userContext() const { return m_context; }

public slots:
    /// A message of "|"-terminated arguments, from the own command line or a
    /// second launch: the existing paths go to addBookAndStartRead().
    void handleMessage(const QString& message);
    /// Adds the supported, existing files that are not in the library yet and
    /// opens the last of them once the adding is done.
    void addBookAndStartRead(const QFileInfoList& books);

private slots:
    void onMaximize();
    void onMinimize();
    void onFullScreen();
    void onClose();
    void onViewModeChanged(int mode);
    void onShowSettings();
    void onHideSettings();
    void onStartUp();
    void onShowContents();
    void onHideContents();
    void onShowSearchPanel();
    void onHideSearchPanel();
    void onCleanSearch();
    void onSearchTextChanged(const QString& text);
    void onNavigateToSite();
    void onNavigateToSiteHelp();
    void buttonLibrary();
    void toLibrary();
    /// The book could not be opened: back to the library, and "Continue
    /// reading" offers the book read before it again.
    void onOpenFailed();
    void buttonAddBook();
    void buttonAddFolder();
    void continueReading();
    void buttonContents();
    void bookInfoChanged(const QString& title, const QString& progress);
    void onBookSelected(const BookDto& book);
    void onBookOpened(int bookId);
    void updateWindowTitle(const QString& bookTitle);
    void onEditBook(int id);
    void onNavigateToPosition(int position);
    void onNavigateToPage(int page);
    void onSearch(const QString& text);
    void onFilterChanged(const QString& text);
    void onHotKeyEsc();
    void onHotKeyF11();
    void onHotKeyH();
    void showWindowAnimated(QWidget* widget);
    void hideWindowAnimated(QWidget* widget);
    void onBeginResize();
    void onEndResize();
    void maximize();
    void normal();
    void fullScreen();
    bool isFull() const { return m_mode == FullScreen; }
    bool isMax() const { return m_mode == Maximized; }
    void onAddComplete();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class TestMainView;

    void buildOverlays();
    void connectParts();
    void updateContinueButton();
    void setChromeVisible(bool visible);
    void setFullScreenProperty(bool full);
    void fitMinimumSizeTo(const QRect& area);
    void restoreWindowGeometry();
    void saveWindowGeometry();
    QScreen* windowScreen() const;
    static QRect defaultGeometry();
    /// Files chosen in the add dialog: reports the ones that cannot be added
    /// and hands the rest to the library page.
    void addChosenFiles(const QStringList& files);
    static bool isSupportedBook(const QFileInfo& file);

    // Panels that are placeholders until the real views are built in.
    QWidget* settingsPage() const { return m_settingsPage; }
    // The reading page, gone once the window is being destroyed.
    void viewerBeginResize();
    void viewerEndResize();
    void viewerSetFullScreen(bool full);
    void libraryAddFiles(const QFileInfoList& files, bool showCompleteMessage = true);

    // Library database steps, filled in when the database is wired in.
    /// True when the library holds at least one book that is not deleted.
    bool libraryHasBooks() const;
    /// True when a book that is not deleted has exactly this full path.
    bool libraryHoldsPath(const QString& fullPath) const;
    /// The most recently read book, id -1 when there is none.
    BookDto recentBook() const;
    BookDto bookById(int id) const;
    BookDto bookByPath(const QString& fullPath) const;
    /// Stores "now" as the book's time of last view.
    void markBookOpened(const BookDto& book);

    WindowBar* m_windowBar = nullptr;
    QFrame* m_shadow = nullptr;
    HeaderBar* m_header = nullptr;
    QWidget* m_pageArea = nullptr;
    QStackedLayout* m_pages = nullptr;
    SizeGrip* m_sizeGrip = nullptr;
    StartView* m_startPage = nullptr;
    QWidget* m_libraryPage = nullptr;
    BookViewer* m_bookViewer = nullptr;
    UserContext* m_context = nullptr;
    std::unique_ptr<UserContext> m_ownContext;
    BookModel* m_bookModel = nullptr;
    FolderModel* m_folderModel = nullptr;
    LibraryView* m_library = nullptr;
    BookEditPropertiesView* m_bookEdit = nullptr;

    OverlayController* m_overlays = nullptr;
    TocView* m_tocView = nullptr;
    SearchView* m_searchView = nullptr;
    QWidget* m_settingsPage = nullptr;
    QWidget* m_helpPage = nullptr;
    QWidget* m_editPage = nullptr;

    BookDto m_currentBook;
    /// The book that was current before m_currentBook was chosen.
    BookDto m_previousBook;
    int m_lastPage = -1;
    QString m_bookToStartReading;
    QStringList m_lastFiles;
    QFileInfoList m_lastAddRequest;

    int m_mode = Normal;
    int m_prevMode = Normal;
    QRect m_normalGeometry;
    QPoint m_dragOffset;
    bool m_dragging = false;
};
