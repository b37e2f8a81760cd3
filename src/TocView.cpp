#include "TocView.h"

#include "BookProvider.h"
#include "BookmarkModel.h"
#include "BookmarkTable.h"
#include "MessageView.h"
#include "TabButton.h"
#include "TabWidget.h"
#include "TocModel.h"
#include "TocTreeView.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QPushButton* makeButton(const char* name, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// A tab page: the view inside "settingBox" inside "whiteBox", with a note in
// its place while the list is empty.
QFrame* makeTabPage(QWidget* view, QLabel* note, QWidget* parent)
{
    auto* white = new QFrame(parent);
    white->setObjectName("whiteBox");
    auto* outer = new QVBoxLayout(white);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* box = new QFrame(white);
    box->setObjectName("settingBox");
    auto* inner = new QVBoxLayout(box);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);
    note->setObjectName("labelPanelEmpty");
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    note->hide();
    inner->addWidget(note, 1);
    inner->addWidget(view, 1);
    outer->addWidget(box);
    return white;
}
} // namespace

TocView::TocView(QWidget* parent) : QFrame(parent)
{
    setObjectName("settingsViewContent");
    setMinimumWidth(420);
    setFocusPolicy(Qt::StrongFocus);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(16, 14, 16, 10);
    top->setSpacing(8);
    m_back = makeButton("buttonNavigateBack", this);
    m_back->setFixedSize(32, 32);
    m_caption = new QLabel(this);
    m_caption->setObjectName("settingsLabel");
    m_close = makeButton("buttonCloseSettings", this);
    m_close->setFixedSize(32, 32);
    top->addWidget(m_back);
    top->addWidget(m_caption, 1);
    top->addWidget(m_close);
    column->addLayout(top);

    m_tocModel = new TocModel(this);
    m_tree = new TocTreeView(this);
    m_tree->setModel(m_tocModel);
    m_bookmarkModel = new BookmarkModel(this);
    m_bookmarks = new BookmarkTable(this);
    m_bookmarks->setModel(m_bookmarkModel);
    m_emptyToc = new QLabel(this);
    m_emptyBookmarks = new QLabel(this);

    m_tabs = new TabWidget(this);
    m_tabToc = m_tabs->addTab("buttonTabToc", makeTabPage(m_tree, m_emptyToc, this));
    m_tabBookmarks = m_tabs->addTab("buttonTabBookmarks", makeTabPage(m_bookmarks, m_emptyBookmarks, this));
    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 0, 16, 12);
    body->addWidget(m_tabs);
    column->addLayout(body, 1);

    auto* commands = new QFrame(this);
    commands->setObjectName("settingsViewCommadBox");
    commands->setFixedHeight(67);
    auto* row = new QHBoxLayout(commands);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(10);
    m_goTo = makeButton("buttonSaveSettings", commands);
    m_goTo->setFixedHeight(42);
    m_goTo->setMinimumWidth(120);
    m_cancel = makeButton("buttonCancel", commands);
    m_cancel->setFixedHeight(42);
    m_cancel->setMinimumWidth(100);
    row->addStretch(1);
    row->addWidget(m_goTo);
    row->addWidget(m_cancel);
    column->addWidget(commands);

    connect(m_close, &QPushButton::clicked, this, &TocView::buttonHide);
    connect(m_back, &QPushButton::clicked, this, &TocView::buttonHide);
    connect(m_cancel, &QPushButton::clicked, this, &TocView::buttonHide);
    connect(m_goTo, &QPushButton::clicked, this, &TocView::buttonGoTo);
    connect(m_tree, &QAbstractItemView::doubleClicked, this, &TocView::onTocTableDoubleClick);
    connect(m_bookmarks, &QAbstractItemView::doubleClicked, this, &TocView::onBookmarksDoubleClick);
    connect(m_bookmarks, &QAbstractItemView::clicked, this, &TocView::onBookmarkClicked);
    // The lists give way to a note while they are empty.
    auto followRows = [](QAbstractItemModel* model, QWidget* view, QLabel* note) {
        auto update = [model, view, note] {
            const bool empty = model->rowCount() == 0;
            view->setVisible(!empty);
            note->setVisible(empty);
        };
        connect(model, &QAbstractItemModel::modelReset, view, update);
        connect(model, &QAbstractItemModel::rowsRemoved, view, update);
        connect(model, &QAbstractItemModel::rowsInserted, view, update);
        update();
    };
    followRows(m_tocModel, m_tree, m_emptyToc);
    followRows(m_bookmarkModel, m_bookmarks, m_emptyBookmarks);

    retranslate();
}

void TocView::retranslate()
{
    m_caption->setText(tr("Table of contents"));
    m_tabToc->setText(tr("Table of contents"));
    m_tabBookmarks->setText(tr("Bookmarks"));
    m_goTo->setText(tr("GO TO..."));
    m_cancel->setText(tr("CANCEL"));
    m_back->setToolTip(tr("Back"));
    m_close->setToolTip(tr("Close"));
    m_emptyToc->setText(tr("This book has no table of contents."));
    m_emptyBookmarks->setText(
        tr("No bookmarks yet. Add one with the bookmark button of the reading toolbar."));
}

void TocView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QFrame::changeEvent(event);
}

void TocView::setToc(const QList<TocPoint>& toc)
{
    m_tocModel->setToc(toc);
    m_tree->expandAll();
}

void TocView::setBookmarks(const QList<BookmarkDto>& bookmarks, const IDocument* document)
{
    m_bookmarkModel->setBookmarks(bookmarks, document);
}

void TocView::setCurrentPosition(int position)
{
    const QModelIndex current = m_tocModel->setCurrentPosition(position);
    if (current.isValid())
        m_tree->showEntry(current);
    else
        m_tree->scrollToTop();
}

int TocView::currentTab() const
{
    return m_tabs->currentIndex();
}

void TocView::setCurrentTab(int tab)
{
    m_tabs->setCurrentIndex(tab);
}

void TocView::buttonHide()
{
    emit hideWindow();
}

void TocView::open(const QModelIndex& index)
{
    emit navigateToPosition(index.isValid() ? index.data(TocModel::PositionRole).toInt() : 0);
    emit hideWindow();
}

void TocView::buttonGoTo()
{
    open(currentTab() == BookmarksTab ? m_bookmarks->currentIndex() : m_tree->currentIndex());
}

void TocView::onTocTableDoubleClick(const QModelIndex& index)
{
    open(index);
}

void TocView::onBookmarksDoubleClick(const QModelIndex& index)
{
    // The trash column deletes; its double click is the confirmation's business.
    if (index.column() == BookmarkTable::DeleteColumn)
        return;
    open(index);
}

void TocView::onBookmarkClicked(const QModelIndex& index)
{
    if (!index.isValid() || index.column() != BookmarkTable::DeleteColumn)
        return;
    const QPersistentModelIndex row(index);
    MessageView box(tr("Delete bookmark", "delete bookmark: caption"),
                    tr("Are you sure you want to delete this bookmark?", "delete bookmark: text"), this);
    auto* cancel = new QPushButton(tr("CANCEL"), &box);
    cancel->setObjectName("buttonCancel");
    cancel->setFixedHeight(42);
    cancel->setMinimumWidth(100);
    box.addButton(cancel, QDialogButtonBox::RejectRole);
    cancel->setDefault(true);
    box.exec();
    if (box.clickedRole() != QDialogButtonBox::AcceptRole || !row.isValid())
        return;
    if (!m_bookmarkModel->removeBookmark(row.row())) {
        MessageView failed(tr("Error"), BookProvider::instance()->lastError(), this);
        failed.exec();
    }
}

void TocView::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    if (currentTab() == ContentsTab && m_tree->isVisible())
        m_tree->setFocus();
}

void TocView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        emit hideWindow();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        buttonGoTo();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}
