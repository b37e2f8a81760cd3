#pragma once

#include "BookmarkDto.h"
#include "IDocument.h"

#include <QFrame>
#include <QModelIndex>

class BookmarkModel;
class BookmarkTable;
class QLabel;
class QPushButton;
class TabButton;
class TabWidget;
class TocModel;
class TocTreeView;

/// The contents panel ("settingsViewContent", the look of the settings page)
/// with two tabs: the book's table of contents and its bookmarks. Choosing an
/// entry (double click, or "GO TO..." for the current one) asks to move the
/// book there and to close the panel; the trash mark of a bookmark deletes it
/// after a confirmation. The main window fills the panel every time it shows
/// it. GUI thread only.
class TocView : public QFrame
{
    Q_OBJECT
public:
    enum Tab
    {
        ContentsTab = 0,
        BookmarksTab = 1
    };

    explicit TocView(QWidget* parent = nullptr);

    void setToc(const QList<TocPoint>& toc);
    /// The bookmarks of the open book; page, progress and title are worked out
    /// from `document`.
    void setBookmarks(const QList<BookmarkDto>& bookmarks, const IDocument* document);
    /// Marks the chapter that holds `position` and scrolls the tree to it.
    void setCurrentPosition(int position);

    int currentTab() const;
    void setCurrentTab(int tab);
    TocModel* tocModel() const { return m_tocModel; }
    BookmarkModel* bookmarkModel() const { return m_bookmarkModel; }

signals:
    void hideWindow();
    void navigateToPosition(int position);

public slots:
    void buttonHide();
    void buttonGoTo();
    void onTocTableDoubleClick(const QModelIndex& index);
    void onBookmarksDoubleClick(const QModelIndex& index);
    void onBookmarkClicked(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    /// Passes the focus on to the contents tree, so the keys move through it.
    void focusInEvent(QFocusEvent* event) override;

private:
    void retranslate();
    void open(const QModelIndex& index);

    QLabel* m_caption = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_back = nullptr;
    TabWidget* m_tabs = nullptr;
    TabButton* m_tabToc = nullptr;
    TabButton* m_tabBookmarks = nullptr;
    TocTreeView* m_tree = nullptr;
    TocModel* m_tocModel = nullptr;
    BookmarkTable* m_bookmarks = nullptr;
    BookmarkModel* m_bookmarkModel = nullptr;
    QLabel* m_emptyToc = nullptr;
    QLabel* m_emptyBookmarks = nullptr;
    QPushButton* m_goTo = nullptr;
    QPushButton* m_cancel = nullptr;
};
