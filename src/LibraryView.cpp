#include "LibraryView.h"

#include "AddBooksWorker.h"
#include "Application.h"
#include "BookContextMenu.h"
#include "BookFormatFilter.h"
#include "BookListView.h"
#include "BookModel.h"
#include "BookPropertiesView.h"
#include "BookProvider.h"
#include "BookSortFilterModel.h"
#include "BookTable.h"
#include "Button.h"
#include "ExportWorker.h"
#include "FileDialogs.h"
#include "FolderListView.h"
#include "FolderModel.h"
#include "ImportWorker.h"
#include "ListFormats.h"
#include "Logger.h"
#include "MessageView.h"
#include "Paths.h"
#include "ProgressDialog.h"

#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>
#include <QStackedLayout>
#include <QStyle>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcLibraryView, "lanternleaf.library.view")

namespace {
const char* const kKeyGeneral = "last__general_category";
const char* const kKeyCustom = "last__custom_category";
const char* const kKeyType = "last__type_category";

void restyle(QWidget* widget)
{
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}

bool isFormatCategory(int category)
{
    return category >= LibraryView::IdFormatBase && category < LibraryView::IdFormatBase + 100;
}

QString archiveFilter()
{
    return LibraryView::tr("Archive") + QStringLiteral("(*.lvx)");
}

// The progress dialog follows the worker's state and offers cancellation;
// both go away when the thread ends.
template <class Worker> void attachProgress(Worker* worker, ProgressDialog* dialog, const QString& title)
{
    dialog->setWindowTitle(title);
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    QObject::connect(worker, &QThread::finished, dialog, &QObject::deleteLater);
    QObject::connect(worker, &Worker::stateChanged, dialog, &ProgressDialog::workerStateChanged);
    QObject::connect(worker, &Worker::progressChanged, dialog, &ProgressDialog::setProgressChanged);
    QObject::connect(worker, &Worker::progressMessage, dialog, &ProgressDialog::setMessage);
    QObject::connect(dialog, &ProgressDialog::canceled, worker, &Worker::cancel);
}
} // namespace

LibraryView::LibraryView(BookModel* books, FolderModel* folders, QWidget* parent)
    : QFrame(parent), m_books(books), m_folders(folders)
{
    setObjectName("boxLibraryView");

    m_formatProxy = new BookFormatFilter(this);
    m_formatProxy->setSourceModel(m_books);
    m_searchProxy = new BookSortFilterModel(this);
    m_searchProxy->setSourceModel(m_formatProxy);

    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    root->addWidget(buildLeftSide());

    auto* right = new QFrame(this);
    right->setObjectName("boxLibraryRight");
    auto* column = new QVBoxLayout(right);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* switchBox = new QFrame(right);
    switchBox->setObjectName("switchLibBox");
    switchBox->setFixedHeight(39);
    auto* switchRow = new QHBoxLayout(switchBox);
    switchRow->setContentsMargins(20, 0, 12, 0);
    m_caption = new QLabel(switchBox);
    m_caption->setObjectName("labelLibraryCaption");
    m_caption->setTextFormat(Qt::PlainText);
    switchRow->addWidget(m_caption, 1);
    m_switch = new Button("buttonSwitchShelfView", switchBox);
    m_switch->setIconAlignment(Qt::AlignCenter);
    switchRow->addWidget(m_switch);
    column->addWidget(switchBox);

    auto* stackHost = new QWidget(right);
    stackHost->setObjectName("boxLibraryStack");
    m_viewStack = new QStackedLayout(stackHost);
    m_viewStack->setContentsMargins(0, 0, 0, 0);
    auto* tableFrame = new QFrame(stackHost);
    tableFrame->setObjectName("boxLibraryTableFrame");
    auto* tableLayout = new QVBoxLayout(tableFrame);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    m_table = new BookTable(tableFrame);
    m_table->setModel(m_searchProxy);
    tableLayout->addWidget(m_table);
    m_shelf = new BookListView(stackHost);
    m_shelf->setModel(m_searchProxy);
    // One selection for both views: switching keeps the chosen book.
    QItemSelectionModel* ownSelection = m_shelf->selectionModel();
    m_shelf->setSelectionModel(m_table->selectionModel());
    delete ownSelection;
    m_viewStack->insertWidget(TableView, tableFrame);
    m_viewStack->insertWidget(ShelfView, m_shelf);
    m_viewStack->setCurrentIndex(TableView);
    column->addWidget(stackHost, 1);
    column->addWidget(buildBottomBar());
    root->addWidget(right, 1);

    m_table->setColumnHidden(BookModel::ColumnRestore, true);
    m_table->sortByColumn(BookModel::ColumnDate, Qt::DescendingOrder);

    connect(m_switch, &Button::clicked, this, &LibraryView::buttonSwitchLibView);
    connect(m_viewStack, &QStackedLayout::currentChanged, this, &LibraryView::onLibViewChanged);
    connect(m_table, &BookTable::clicked, this, &LibraryView::onBookTableClick);
    connect(m_group, &QButtonGroup::idClicked, this, &LibraryView::onGeneralCategorySelected);
    connect(m_table, &BookTable::doubleClicked, this, &LibraryView::onBookTableDoubleClick);
    connect(m_shelf, &BookListView::doubleClicked, this, &LibraryView::onBookListDoubleClick);
    connect(m_shelf, &BookListView::markClicked, this, [this](const QModelIndex& index, int markColumn) {
        onBookTableClick(index.sibling(index.row(), markColumn));
    });
    connect(m_books, &BookModel::modelReset, this, &LibraryView::onLibraryChanged);
    connect(m_addCategory, &Button::clicked, this, &LibraryView::onAddCategory);
    connect(m_categoryList, &FolderListView::clicked, this, &LibraryView::onFolderTableClick);
    connect(m_categoryList, &FolderListView::removeFolder, this, &LibraryView::onRemoveFolder);
    connect(m_categoryList, &FolderListView::openFolder, this, &LibraryView::onOpenFolder);
    connect(m_categoryList, &FolderListView::renameFolder, this, &LibraryView::onRenameFolder);
    connect(m_restoreAll, &Button::clicked, m_books, &BookModel::restoreFromTrashAll);
    connect(m_clearTrash, &Button::clicked, this, &LibraryView::onClearTrash);
    connect(m_clearLibrary, &Button::clicked, this, &LibraryView::onClearLibrary);
    connect(m_export, &Button::clicked, this, &LibraryView::onExport);
    connect(m_import, &Button::clicked, this, &LibraryView::onImport);
    // The category list reloads its counts before the books are reselected.
    for (auto signal : {&BookModel::removed, &BookModel::deleted, &BookModel::restored})
        connect(m_books, signal, m_folders, &FolderModel::selectAll);
    for (auto signal :
         {&BookModel::removed, &BookModel::deleted, &BookModel::restored, &BookModel::favorited})
        connect(m_books, signal, this, &LibraryView::onLibraryModifed);
    connect(m_folders, &FolderModel::added, this, &LibraryView::onLibraryModifed);
    connect(m_folders, &FolderModel::inserted, this, [this] {
        // A new category is named at once, in place.
        const QModelIndex last = m_folders->index(m_folders->rowCount() - 1, 0);
        if (last.isValid() && m_categoryList->isVisible())
            m_categoryList->edit(last);
    });
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_table), static_cast<QAbstractItemView*>(m_shelf)}) {
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
            const QModelIndex index = view->indexAt(pos);
            if (index.isValid())
                onBookContextMenu(index, view->viewport()->mapToGlobal(pos), view);
        });
    }
    connect(m_table, &BookTable::droppedFiles, this,
            [this](const QFileInfoList& files) { onAddFiles(files); });
    connect(m_shelf, &BookListView::droppedFiles, this,
            [this](const QFileInfoList& files) { onAddFiles(files); });
    connect(m_searchProxy, &QAbstractItemModel::modelReset, this, &LibraryView::updateEmptyLabels);

    hideTrashMode();
    retranslate();
    onLibViewChanged(TableView);
    updateCounts();
    onLibraryChanged();
}

LibraryView::~LibraryView()
{
    // A running thread must not be destroyed; its queued reports would also
    // reach a half-destroyed page.
    for (const QPointer<WorkerThread>& worker : qAsConst(m_workers)) {
        if (!worker)
            continue;
        worker->disconnect(this);
        // Every worker has a cancel() slot: a stop alone would let an export
        // finish its archive with the books written so far.
        QMetaObject::invokeMethod(worker, "cancel", Qt::DirectConnection);
        worker->wait();
    }
}

QFrame* LibraryView::buildLeftSide()
{
    auto* left = new QFrame(this);
    left->setObjectName("boxLeftSide");
    left->setFixedWidth(236);
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(10, 14, 10, 10);
    column->setSpacing(2);

    auto addCategory = [&](const char* name, int id) {
        auto* button = new Button(QString::fromLatin1(name), left);
        button->setCheckable(true);
        m_group->addButton(button, id);
        column->addWidget(button);
        return button;
    };
    m_recent = addCategory("buttonRecentlyRead", IdRecentlyRead);
    m_all = addCategory("buttonAll", IdAll);
    m_favorites = addCategory("buttonFavorites", IdFavorites);
    m_formats = new ListFormats(m_group, left);
    column->addWidget(m_formats);
    m_trash = addCategory("buttonLeftSideDelete", IdTrash);

    column->addSpacing(14);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(10, 0, 0, 0);
    m_categoriesLabel = new QLabel(left);
    m_categoriesLabel->setObjectName("labelCategories");
    header->addWidget(m_categoriesLabel, 1);
    m_addCategory = new Button("buttonLeftSideAdd", left);
    m_addCategory->setIconAlignment(Qt::AlignCenter);
    header->addWidget(m_addCategory);
    column->addLayout(header);
    column->addSpacing(4);

    m_categoryList = new FolderListView(left);
    m_categoryList->setModel(m_folders);
    column->addWidget(m_categoryList, 1);
    return left;
}

QFrame* LibraryView::buildBottomBar()
{
    auto* bar = new QFrame(this);
    bar->setObjectName("boxLibraryBottom");
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(14, 6, 14, 6);
    row->setSpacing(6);
    m_import = new Button("buttonImport", bar);
    m_export = new Button("buttonExport", bar);
    m_restoreAll = new Button("buttonRestoreAll", bar);
    m_clearTrash = new Button("buttonClearTrash", bar);
    m_clearLibrary = new Button("buttonClearLibrary", bar);
    row->addWidget(m_import);
    row->addWidget(m_export);
    row->addWidget(m_restoreAll);
    row->addStretch(1);
    row->addWidget(m_clearTrash);
    row->addWidget(m_clearLibrary);
    return bar;
}

void LibraryView::retranslate()
{
    m_import->setText(tr("Import"));
    m_export->setText(tr("Export"));
    m_restoreAll->setText(tr("Restore all"));
    m_clearTrash->setText(tr("Clear trash"));
    m_clearLibrary->setText(tr("Clear library"));
    m_categoriesLabel->setText(tr("Categories"));
    m_addCategory->setToolTip(tr("New category"));
    updateCounts();
}

void LibraryView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange && m_import)
        retranslate();
    QFrame::changeEvent(event);
}

// ---------------------------------------------------------------- last category

LibraryView::LastCategory LibraryView::lastCategory() const
{
    const auto settings = Paths::settings();
    LastCategory last;
    last.type = settings->value(kKeyType, 0).toInt();
    if (last.type > 1 || last.type < 0)
        last.type = 0;
    last.general = settings->value(kKeyGeneral, int(IdRecentlyRead)).toInt();
    last.custom = settings->value(kKeyCustom, -1).toInt();
    return last;
}

void LibraryView::storeLastCategory(int type, int id)
{
    const auto settings = Paths::settings();
    settings->setValue(kKeyType, type);
    settings->setValue(type == 0 ? kKeyGeneral : kKeyCustom, id);
}

// ---------------------------------------------------------------- categories

void LibraryView::readSettings()
{
    const LastCategory last = lastCategory();
    if (last.type == 1) {
        const QModelIndex index = m_folders->categoryIndex(last.custom);
        if (index.isValid()) {
            m_categoryList->setCurrentIndex(index);
            onCustomCategorySelected(last.custom);
            return;
        }
    } else if (QAbstractButton* button = m_group->button(last.general)) {
        if (isFormatCategory(last.general))
            m_formats->expand();
        button->click();
        return;
    }
    // The remembered category is gone: show every book rather than none.
    m_all->click();
}

void LibraryView::onGeneralCategorySelected(int category)
{
    if (category == IdTrash)
        showTrashMode();
    else
        hideTrashMode();
    storeLastCategory(0, category);
    m_categoryList->selectionModel()->clear();
    if (QAbstractButton* button = m_group->button(category))
        button->setChecked(true);

    // Sorting first lets the reset below sort the new rows once, by date.
    m_table->sortByColumn(BookModel::ColumnDate, Qt::DescendingOrder);
    if (category >= IdRecentlyRead && category <= IdTrash)
        m_books->selectByCategory(BookCategory(category));
    else if (isFormatCategory(category))
        m_books->selectByFormat(category - IdFormatBase);

    switch (category) {
    case IdRecentlyRead:
        setCaption(tr("Recently Read"));
        break;
    case IdAll:
        setCaption(tr("All books"));
        break;
    case IdFavorites:
        setCaption(tr("Favorites"));
        break;
    case IdTrash:
        setCaption(tr("Deleted"));
        break;
    default:
        setCaption(BookModel::formatName(category - IdFormatBase).toUpper());
        break;
    }
}

void LibraryView::onCustomCategorySelected(int categoryId)
{
    m_table->setColumnHidden(BookModel::ColumnRestore, true);
    m_group->setExclusive(false);
    for (QAbstractButton* button : m_group->buttons())
        button->setChecked(false);
    m_group->setExclusive(true);
    storeLastCategory(1, categoryId);
    // The list may have been reloaded (and lost its current row) meanwhile.
    const QModelIndex index = m_folders->categoryIndex(categoryId);
    if (index.isValid() && m_categoryList->currentIndex() != index)
        m_categoryList->setCurrentIndex(index);
    m_table->sortByColumn(BookModel::ColumnDate, Qt::DescendingOrder);
    m_books->selectByFolder(categoryId);
    setCaption(index.data(Qt::DisplayRole).toString());
}

void LibraryView::onFolderTableClick(const QModelIndex& index)
{
    if (!validIndex(index))
        return;
    onCustomCategorySelected(index.data(FolderModel::IdRole).toInt());
    hideTrashMode();
}

void LibraryView::setCaption(const QString& text)
{
    m_caption->setText(text);
}

void LibraryView::showTrashMode()
{
    m_trashMode = true;
    updateEmptyLabels();
    m_clearLibrary->hide();
    m_export->hide();
    m_import->hide();
    m_clearTrash->show();
    m_restoreAll->show();
    m_table->setColumnHidden(BookModel::ColumnFavorite, true);
    m_table->setColumnHidden(BookModel::ColumnRestore, false);
}

void LibraryView::hideTrashMode()
{
    m_trashMode = false;
    updateEmptyLabels();
    m_clearLibrary->show();
    m_export->show();
    m_import->show();
    m_clearTrash->hide();
    m_restoreAll->hide();
    m_table->setColumnHidden(BookModel::ColumnFavorite, false);
    m_table->setColumnHidden(BookModel::ColumnRestore, true);
}

void LibraryView::updateCounts()
{
    const CategoryCounts counts = BookProvider::instance()->categoryCounts();
    m_recent->setText(tr("Recently Read (%1)").arg(counts.recently_read));
    m_all->setText(tr("All (%1)").arg(counts.all));
    m_favorites->setText(tr("Favorites (%1)").arg(counts.favorites));
    m_trash->setText(tr("Deleted (%1)").arg(counts.deleted));
}

void LibraryView::onLibraryChanged()
{
    // One query for all formats: this runs on every change of the list.
    QMap<int, int> perFormat;
    const QMap<int, int> counts = BookProvider::instance()->bookCountsByFormat();
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.key() >= 0 && it.key() < ListFormats::FormatCount && it.value() > 0)
            perFormat.insert(it.key(), it.value());
    }
    m_formats->updateCounts(perFormat);
    updateEmptyLabels();
}

void LibraryView::refresh()
{
    updateCounts();
    const LastCategory last = lastCategory();
    if (last.type == 1)
        m_books->selectByFolder(last.custom);
    else if (last.general >= IdRecentlyRead && last.general <= IdTrash)
        m_books->selectByCategory(BookCategory(last.general));
    else if (isFormatCategory(last.general))
        m_books->selectByFormat(last.general - IdFormatBase);
}

void LibraryView::onLibraryModifed()
{
    updateCounts();
    const LastCategory last = lastCategory();
    if (last.type == 0)
        onGeneralCategorySelected(last.general);
    else
        onCustomCategorySelected(last.custom);
}

// ---------------------------------------------------------------- views

int LibraryView::currentViewIndex() const
{
    return m_viewStack->currentIndex();
}

void LibraryView::buttonSwitchLibView()
{
    m_viewStack->setCurrentIndex(m_viewStack->currentIndex() == TableView ? ShelfView : TableView);
}

void LibraryView::onLibViewChanged(int index)
{
    m_import->setText(tr("Import"));
    m_export->setText(tr("Export"));
    m_switch->setObjectName(index != TableView ? "buttonSwitchTableView" : "buttonSwitchShelfView");
    m_switch->setToolTip(index != TableView ? tr("Show as table") : tr("Show as bookshelf"));
    restyle(m_switch);
}

void LibraryView::filterBooks(const QString& text)
{
    m_filterText = text;
    m_searchProxy->setFilterRegExp(text);
    updateEmptyLabels();
}

void LibraryView::updateEmptyLabels()
{
    QString text;
    if (m_searchProxy->rowCount() == 0) {
        if (!m_filterText.isEmpty())
            text = tr("No eBooks found for '%1'").arg(m_filterText);
        else
            text = m_trashMode ? tr("The trash is empty") : tr("No books here yet");
    }
    m_table->setEmptyText(text);
    m_shelf->setEmptyText(text);
}

// ---------------------------------------------------------------- clicks

bool LibraryView::validIndex(const QModelIndex& index)
{
    return index.row() >= 0 && index.column() >= 0 && index.model();
}

void LibraryView::onBookTableClick(const QModelIndex& index)
{
    if (!validIndex(index))
        return;
    const int id = index.data(BookModel::IdRole).toInt();
    switch (index.column()) {
    case BookModel::ColumnDelete:
        if (index.data(BookModel::DeletedRole).toBool())
            onDeleteBook(id);
        else
            onRemoveBook(id);
        break;
    case BookModel::ColumnRestore:
        m_books->restoreFromTrash(id);
        break;
    case BookModel::ColumnFavorite:
        m_books->setFavorite(id, !index.data(BookModel::FavoriteRole).toBool());
        break;
    default:
        break;
    }
}

void LibraryView::onBookTableDoubleClick(const QModelIndex& index)
{
    if (!validIndex(index) || index.column() > BookModel::ColumnProgress)
        return;
    emit bookOpen(index.data(BookModel::IdRole).toInt());
}

void LibraryView::onBookListDoubleClick(const QModelIndex& index)
{
    if (validIndex(index))
        emit bookOpen(index.data(BookModel::IdRole).toInt());
}

// ---------------------------------------------------------------- confirmations

bool LibraryView::confirm(const QString& caption, const QString& text)
{
    MessageView* box = MessageView::createCompact(caption, text, this);
    auto* cancel = new QPushButton(tr("CANCEL"), box);
    cancel->setObjectName("buttonCancel");
    cancel->setFixedHeight(42);
    cancel->setMinimumWidth(100);
    box->addButton(cancel, QDialogButtonBox::RejectRole);
    cancel->setDefault(true);
    box->exec();
    const bool confirmed = box->clickedRole() == QDialogButtonBox::AcceptRole;
    box->deleteLater();
    return confirmed;
}

void LibraryView::showMessage(const QString& caption, const QString& text)
{
    MessageView* box = MessageView::createCompact(caption, text, this);
    box->exec();
    box->deleteLater();
}

void LibraryView::onRemoveBook(int bookID)
{
    //: remove_book_caption
    const QString caption = tr("Delete book");
    //: remove_book_text
    const QString text = tr("Are you sure you want to delete this book?");
    if (confirm(caption, text))
        m_books->moveToTrash(bookID);
}

void LibraryView::onDeleteBook(int bookID)
{
    if (confirm(tr("Delete book"), tr("Are you sure you want to delete this book?")))
        m_books->deleteFromLibrary(bookID);
}

void LibraryView::onRestoreBook(int bookID)
{
    m_books->restoreFromTrash(bookID);
}

void LibraryView::onSetFavorite(int bookID, bool favorite)
{
    m_books->setFavorite(bookID, favorite);
}

void LibraryView::onClearTrash()
{
    if (confirm(tr("Clear trash"), tr("Are you sure you want to clear trash?")))
        m_books->clearTrash();
}

void LibraryView::onClearLibrary()
{
    if (confirm(tr("Clear library"), tr("Are you sure you want to clear library?")))
        m_books->clearLibrary();
}

// ---------------------------------------------------------------- custom categories

void LibraryView::onAddCategory()
{
    m_folders->addNewCategory();
}

void LibraryView::onOpenFolder(const QModelIndex& index)
{
    m_categoryList->selectionModel()->select(index,
                                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void LibraryView::onRenameFolder(const QModelIndex& index)
{
    if (!validIndex(index)) {
        qCCritical(lcLibraryView) << Q_FUNC_INFO << "invalid index";
        return;
    }
    m_categoryList->edit(index);
}

void LibraryView::onRemoveFolder(const QModelIndex& index)
{
    if (!validIndex(index)) {
        qCCritical(lcLibraryView) << Q_FUNC_INFO << "invalid index";
        return;
    }
    const int id = index.data(FolderModel::IdRole).toInt();
    if (!confirm(tr("Delete folder"), tr("Are you sure you want to delete this folder?")))
        return;
    m_folders->remove(id);
    const LastCategory last = lastCategory();
    // The books of a deleted category stay in the library; show them all.
    if (last.type == 1 && last.custom == id)
        m_all->click();
    else
        updateCounts();
}

void LibraryView::onAddToCategory(int bookId, int categoryId)
{
    m_folders->addToCategory(bookId, categoryId);
}

void LibraryView::onRemoveFromCategory(int bookId, int categoryId)
{
    m_folders->removeFromCategory(bookId, categoryId);
}

// ---------------------------------------------------------------- menu and properties

void LibraryView::onBookContextMenu(const QModelIndex& index, const QPoint& pos, QWidget* parent)
{
    BookContextMenu menu(index, m_folders, parent);
    auto idOf = [](const QModelIndex& book) { return book.data(BookModel::IdRole).toInt(); };
    connect(&menu, &BookContextMenu::read, this,
            [this, idOf](const QModelIndex& i) { emit bookOpen(idOf(i)); });
    connect(&menu, &BookContextMenu::edit, this,
            [this, idOf](const QModelIndex& i) { emit bookEdit(idOf(i)); });
    connect(&menu, &BookContextMenu::toFavorites, this,
            [this, idOf](const QModelIndex& i) { m_books->setFavorite(idOf(i), true); });
    connect(&menu, &BookContextMenu::fromFavorites, this,
            [this, idOf](const QModelIndex& i) { m_books->setFavorite(idOf(i), false); });
    connect(&menu, &BookContextMenu::remove, this,
            [this, idOf](const QModelIndex& i) { onRemoveBook(idOf(i)); });
    connect(&menu, &BookContextMenu::deleteFromLibrary, this,
            [this, idOf](const QModelIndex& i) { onDeleteBook(idOf(i)); });
    connect(&menu, &BookContextMenu::restore, this,
            [this, idOf](const QModelIndex& i) { m_books->restoreFromTrash(idOf(i)); });
    connect(&menu, &BookContextMenu::properties, this, &LibraryView::onProperties);
    connect(&menu, &BookContextMenu::toFolder, this, [this, idOf](const QModelIndex& i, int category) {
        m_folders->addToCategory(idOf(i), category);
    });
    connect(&menu, &BookContextMenu::deleteFromCategory, this,
            [this, idOf](const QModelIndex& i, int category) {
                m_folders->removeFromCategory(idOf(i), category);
            });
    menu.exec(pos);
}

void LibraryView::onProperties(const QModelIndex& index)
{
    if (!validIndex(index))
        return;
    const QPersistentModelIndex book(index);
    const int id = index.data(BookModel::IdRole).toInt();
    BookPropertiesView properties(book, this);
    if (properties.exec() == QDialog::Accepted)
        emit bookEdit(id);
}

// ---------------------------------------------------------------- adding

void LibraryView::onAddDir()
{
    const QString folder = FileDialogs::existingDirectory(this, tr("Select folder"));
    if (!folder.isEmpty())
        onAddFiles({QFileInfo(folder)}, true);
}

void LibraryView::onAddFiles(const QFileInfoList& files, bool showCompleteMessage)
{
    auto* dialog = new ProgressDialog(this);
    auto* worker = new AddBooksWorker(files, this);
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, dialog, &QObject::deleteLater);
    dialog->setWindowTitle(tr("Add books"));
    connect(worker, &AddBooksWorker::stateChanged, dialog, &ProgressDialog::workerStateChanged);
    connect(worker, &AddBooksWorker::progressChanged, dialog, &ProgressDialog::setProgressChanged);
    connect(worker, &AddBooksWorker::progressMessage, dialog, &ProgressDialog::setMessage);
    connect(dialog, &ProgressDialog::canceled, worker, &AddBooksWorker::cancel);
    if (showCompleteMessage) {
        connect(worker, &AddBooksWorker::complete, this,
                [this, worker](int count) { onAddFilesComplete(count, worker->refusals()); });
        connect(worker, &AddBooksWorker::failed, this, &LibraryView::onAddFilesFailed);
    } else {
        // Dropped or opened files add without a summary, unless some could
        // not be read: silence would leave the user wondering where they went.
        connect(worker, &AddBooksWorker::complete, this, [this, worker] {
            const QString refused = AddBooksWorker::refusalText(worker->refusals());
            if (!refused.isEmpty())
                showMessage(tr("Add books"), refused);
        });
    }
    // The lists are refreshed once, when the worker is done, never per book:
    // by the result handlers when they are connected, else here.
    connect(worker, &QThread::finished, this,
            [this, showCompleteMessage] { onWorkerFinished(!showCompleteMessage); });
    m_workers.removeAll(nullptr);
    m_workers << worker;
    worker->start(QThread::InheritPriority);
}

void LibraryView::onWorkerFinished(bool refresh)
{
    if (refresh)
        onLibraryModifed();
    emit addComplete();
}

void LibraryView::onAddFilesComplete(int bookCount, const QList<AddBooksWorker::Refusal>& refusals)
{
    updateCounts();
    m_all->click();
    QString text = tr("%1 file(s) were successfully added into the Library").arg(bookCount);
    const QString refused = AddBooksWorker::refusalText(refusals);
    if (!refused.isEmpty())
        text += QStringLiteral("\n\n") + refused;
    showMessage(tr("Add complete"), text);
}

void LibraryView::onAddFilesFailed(AddBooksErrors error)
{
    updateCounts();
    m_all->click();
    showMessage(tr("Add books failed"), AddBooksWorker::errorText(error));
}

// ---------------------------------------------------------------- export and import

void LibraryView::onExport()
{
    const QString fileName = FileDialogs::saveFileName(this, tr("Export file"), archiveFilter());
    if (fileName.isEmpty())
        return;
    logDebug(QStringLiteral("Export. Save file name:%1").arg(fileName));
    auto* worker = new ExportWorker(fileName, this);
    attachProgress(worker, new ProgressDialog(this), tr("Export"));
    connect(worker, &ExportWorker::complete, this, &LibraryView::onExportComplete);
    connect(worker, &ExportWorker::failed, this, &LibraryView::onExportFailed);
    m_workers.removeAll(nullptr);
    m_workers << worker;
    worker->start(QThread::InheritPriority);
}

void LibraryView::onImport()
{
    const QString fileName = FileDialogs::openFileName(this, tr("Import file"), archiveFilter());
    if (fileName.isEmpty())
        return;
    QString folder = Paths::settings()->value("library_folder").toString();
    if (folder.isEmpty())
        folder = QDir::toNativeSeparators(Paths::importFolder());
    logDebug(QStringLiteral("Import. File name:%1").arg(fileName));
    auto* worker = new ImportWorker(fileName, folder, this);
    attachProgress(worker, new ProgressDialog(this), tr("Import"));
    connect(worker, &ImportWorker::complete, this, &LibraryView::onImportComplete);
    connect(worker, &ImportWorker::failed, this, &LibraryView::onImportFailed);
    // Books imported before a failure or a cancel are shown by the result
    // handlers, which both refresh the lists.
    connect(worker, &QThread::finished, this, [this] { onWorkerFinished(false); });
    m_workers.removeAll(nullptr);
    m_workers << worker;
    worker->start(QThread::InheritPriority);
}

void LibraryView::onExportComplete(const QString& fileName)
{
    MessageView* box = MessageView::createCompact(tr("Export complete"), tr("Click OK to open folder"), this);
    box->exec();
    if (box->clickedRole() == QDialogButtonBox::AcceptRole)
        Application::showInExplorer(fileName);
    box->deleteLater();
}

void LibraryView::onExportFailed(ExportErrors error)
{
    showMessage(tr("Export failed"), ExportWorker::errorText(error));
}

void LibraryView::onImportComplete(int bookCount)
{
    updateCounts();
    m_all->click();
    showMessage(tr("Import complete"),
                tr("%1 file(s) were successfully imported into the Library").arg(bookCount));
}

void LibraryView::onImportFailed(ImportErrors error)
{
    updateCounts();
    m_all->click();
    showMessage(tr("Import failed"), ImportWorker::errorText(error));
}
