#pragma once

#include "AddBooksWorker.h"
#include "WorkerTypes.h"

#include <QFileInfoList>
#include <QFrame>
#include <QList>
#include <QModelIndex>
#include <QPointer>

class AddBooksWorker;
class WorkerThread;
class BookFormatFilter;
class BookListView;
class BookModel;
class BookSortFilterModel;
class BookTable;
class Button;
class FolderListView;
class FolderModel;
class ListFormats;
class QButtonGroup;
class QLabel;
class QStackedLayout;

/// The library page: the general categories, the formats and the custom
/// categories on the left; the books of the current choice on the right, as
/// a table or as a shelf of covers over one shared selection. Runs the
/// books' context menu, asks before destructive actions, adds books through
/// the add-books worker, exports and imports the library through the archive
/// workers and remembers the chosen category across runs.
///
/// The models are shared and owned elsewhere (the application object).
/// GUI thread only.
class LibraryView : public QFrame
{
    Q_OBJECT
public:
    /// Ids of the category group: the general categories, and IdFormatBase
    /// + format code for the format buttons.
    enum CategoryId
    {
        IdRecentlyRead = 0,
        IdAll = 2,
        IdFavorites = 3,
        IdTrash = 4,
        IdFormatBase = 1000
    };
    enum ViewIndex
    {
        TableView = 0,
        ShelfView = 1
    };

    LibraryView(BookModel* books, FolderModel* folders, QWidget* parent = nullptr);
    /// Cancels running workers and waits for them.
    ~LibraryView() override;

    /// Narrows the books shown to titles and authors containing text;
    /// an empty result shows "No eBooks found for '%1'" over both views.
    void filterBooks(const QString& text);

    BookTable* table() const { return m_table; }
    BookListView* shelf() const { return m_shelf; }
    FolderListView* categoryList() const { return m_categoryList; }
    BookSortFilterModel* searchModel() const { return m_searchProxy; }
    int currentViewIndex() const;
    bool isTrashMode() const { return m_trashMode; }

signals:
    void bookOpen(int bookId);
    void bookEdit(int bookId);
    void addComplete();

public slots:
    void onAddDir();
    void onAddFiles(const QFileInfoList& files, bool showCompleteMessage = true);
    /// Re-selects the category chosen last (in this or an earlier run).
    void readSettings();
    /// Reads the counts and the current category's rows again, keeping the
    /// sort order the user chose.
    void refresh();

private slots:
    void buttonSwitchLibView();
    void onLibViewChanged(int index);
    void onBookTableClick(const QModelIndex& index);
    void onBookTableDoubleClick(const QModelIndex& index);
    void onBookListDoubleClick(const QModelIndex& index);
    void onFolderTableClick(const QModelIndex& index);
    void onGeneralCategorySelected(int category);
    void onLibraryChanged();
    void onCustomCategorySelected(int categoryId);
    void onOpenFolder(const QModelIndex& index);
    void onRenameFolder(const QModelIndex& index);
    void onRemoveFolder(const QModelIndex& index);
    void onRemoveBook(int bookID);
    void onDeleteBook(int bookID);
    void onRestoreBook(int bookID);
    void onSetFavorite(int bookID, bool favorite);
    void onProperties(const QModelIndex& index);
    void onAddToCategory(int bookId, int categoryId);
    void onRemoveFromCategory(int bookId, int categoryId);
    void onAddCategory();
    void showTrashMode();
    void hideTrashMode();
    void onClearTrash();
    void onClearLibrary();
    void onLibraryModifed();
    void onBookContextMenu(const QModelIndex& index, const QPoint& pos, QWidget* parent);
    void onExport();
    void onImport();
    void onExportComplete(const QString& fileName);
    void onExportFailed(ExportErrors error);
    void onImportComplete(int bookCount);
    void onImportFailed(ImportErrors error);
    /// The add summary: how many were added, and which files could not be
    /// read and why.
    void onAddFilesComplete(int bookCount, const QList<AddBooksWorker::Refusal>& refusals = {});
    void onAddFilesFailed(AddBooksErrors error);

protected:
    void changeEvent(QEvent* event) override;

private:
    friend class TestLibraryView;

    /// The category remembered across runs (type 0: general, 1: custom).
    struct LastCategory
    {
        int type = 0;
        int general = IdRecentlyRead;
        int custom = -1;
    };
    LastCategory lastCategory() const;
    void storeLastCategory(int type, int id);

    QFrame* buildLeftSide();
    QFrame* buildBottomBar();
    void retranslate();
    void updateCounts();
    void updateEmptyLabels();
    void setCaption(const QString& text);
    /// Asks with a "CANCEL" button as default; true when confirmed.
    bool confirm(const QString& caption, const QString& text);
    void showMessage(const QString& caption, const QString& text);
    /// A worker has ended: refresh the lists unless its result handler
    /// already did, and report addComplete().
    void onWorkerFinished(bool refresh);
    static bool validIndex(const QModelIndex& index);

    BookModel* m_books;
    FolderModel* m_folders;
    BookFormatFilter* m_formatProxy = nullptr;
    BookSortFilterModel* m_searchProxy = nullptr;

    BookTable* m_table = nullptr;
    BookListView* m_shelf = nullptr;
    FolderListView* m_categoryList = nullptr;
    QStackedLayout* m_viewStack = nullptr;
    QButtonGroup* m_group = nullptr;
    ListFormats* m_formats = nullptr;
    QLabel* m_caption = nullptr;
    QLabel* m_categoriesLabel = nullptr;

    Button* m_switch = nullptr;
    Button* m_recent = nullptr;
    Button* m_all = nullptr;
    Button* m_favorites = nullptr;
    Button* m_trash = nullptr;
    Button* m_addCategory = nullptr;
    Button* m_clearLibrary = nullptr;
    Button* m_import = nullptr;
    Button* m_export = nullptr;
    Button* m_restoreAll = nullptr;
    Button* m_clearTrash = nullptr;

    QString m_filterText;
    bool m_trashMode = false;
    QList<QPointer<WorkerThread>> m_workers;
};
