#pragma once

#include "BookDto.h"
#include "BookFormat.h"

#include <QFrame>
#include <QPointer>
#include <QTimer>

class IDocument;
class LoaderBox;
class PageView;
class QHBoxLayout;
class QLabel;
class QSpacerItem;
class QStackedLayout;
class QVBoxLayout;
class ReadToolBar;
class TextViewer;
class UserContext;

/// The reading page of the main window: the reading toolbar, a busy page
/// shown while a book loads or re-lays itself out, the viewer of the open
/// book and, in full screen, a bar with the title and the progress.
///
/// openBook() picks the viewer by the book's format code, hands its document
/// to the user context and wires viewer, document, toolbar and context
/// together; each call replaces (and deletes) the previous viewer. Hiding the
/// page saves the reading position through the user context.
/// GUI thread only.
class BookViewer : public QFrame
{
    Q_OBJECT
public:
    /// `context` must outlive the viewer.
    explicit BookViewer(UserContext* context, QWidget* parent = nullptr);
    ~BookViewer() override;

    /// Shows the busy page, then opens the book in the viewer its format
    /// needs. A format without a viewer leaves the busy page and changes
    /// nothing else.
    void openBook(const BookDto& book);
    /// Big icons, the title bar and the full-screen margins, or back.
    void setFullScreen(bool full);

    ReadToolBar* toolBar() const { return m_toolBar; }
    /// The viewer of the open book (an empty frame before the first book).
    QWidget* viewer() const;
    /// The text viewer of the open book, or null.
    TextViewer* textViewer() const;
    /// The page viewer (PDF or comic) of the open book, or null.
    PageView* pageView() const;
    /// True while the busy page is shown.
    bool isBusy() const;
    /// Shows or hides the toolbar buttons that make sense for a kind of viewer.
    void setToolBarFor(BookFormat::Viewer kind);

signals:
    void showContents();
    void fullScreen();
    void showSearch();
    /// The book could not be opened (the user has been told why, or gave up
    /// at the password prompt): the reading page has nothing to show.
    void openFailed();

public slots:
    void beginResize();
    void endResize();

private slots:
    void schedulePositionSave();
    void loadBegin();
    void loadFinished();
    void onFullScreen();
    void columnCountChanged(int count);
    void switchColumnCount();
    void updateStyle();
    void bookInfoChanged(const QString& title, const QString& progress);
    void toolBarShowContents();
    void onBeginChageDocSize();
    void onEndChangeDocSize();
    void onSettingsChanged();
    void reloadBegin();
    void reloadFinished();
    void onColumnCountChanged(int columns);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TestBookViewer;

    void openTextBook(const BookDto& book);
    void openPageBook(const BookDto& book, BookFormat::Viewer kind);
    /// When `document` did not open: tells the user why (a message naming
    /// the file, unless there is no reason to give, as after a cancelled
    /// password prompt), drops the viewer and emits openFailed(). Returns
    /// whether it failed.
    bool handleOpenFailure(const BookDto& book, const IDocument* document);
    void replaceViewer(QWidget* viewer);
    void showBusyPage();
    void showViewerPage();
    void applyRestore();
    void popWaitCursor();
    void updateTitleLabel();

    QStackedLayout* m_pages = nullptr;
    QHBoxLayout* m_toolBarRow = nullptr;
    QSpacerItem* m_toolBarSpacer = nullptr;
    ReadToolBar* m_toolBar = nullptr;
    QFrame* m_fullScreenBar = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_progressLabel = nullptr;
    bool m_restorePending = true;
    /// Writes the place a little after the reader stops turning pages, so a
    /// crash or a killed session loses at most the last few turns.
    QTimer m_saveTimer;
    QFrame* m_background = nullptr;
    LoaderBox* m_loader = nullptr;
    bool m_busyCursor = true;

    UserContext* m_context = nullptr;
    QVBoxLayout* m_toolBarColumn = nullptr;
    QVBoxLayout* m_pageColumn = nullptr;
    QString m_plainTitle;
    int m_waitCursors = 0;
};
