#include "SearchView.h"

#include "SearchEdit.h"
#include "SearchModel.h"
#include "SearchTable.h"
#include "UserContext.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcSearchView, "lanternleaf.search", QtInfoMsg)

namespace {
QPushButton* makeButton(const char* name, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}
} // namespace

SearchView::SearchView(UserContext* context, QWidget* parent) : QFrame(parent), m_context(context)
{
    setObjectName("searchView");
    setMinimumWidth(420);
    setFocusPolicy(Qt::StrongFocus);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(16, 14, 16, 10);
    m_caption = new QLabel(this);
    m_caption->setObjectName("settingsLabel");
    m_close = makeButton("buttonCloseSettings", this);
    m_close->setFixedSize(32, 32);
    top->addWidget(m_caption, 1);
    top->addWidget(m_close);
    column->addLayout(top);

    auto* body = new QVBoxLayout;
    body->setContentsMargins(16, 0, 16, 12);
    body->setSpacing(8);
    m_edit = new SearchEdit(this);
    m_edit->setObjectName("searchViewEdit");
    m_edit->hide();
    body->addWidget(m_edit);
    m_status = new QLabel(this);
    m_status->setObjectName("labelSearchStatus");
    m_status->hide();
    body->addWidget(m_status);

    auto* white = new QFrame(this);
    white->setObjectName("whiteBox");
    auto* whiteLayout = new QVBoxLayout(white);
    whiteLayout->setContentsMargins(0, 0, 0, 0);
    m_model = new SearchModel(this);
    m_table = new SearchTable(white);
    m_table->setModel(m_model);
    whiteLayout->addWidget(m_table);
    body->addWidget(white, 1);
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

    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &SearchView::searchStep);
    connect(m_close, &QPushButton::clicked, this, &SearchView::buttonHide);
    connect(m_cancel, &QPushButton::clicked, this, &SearchView::buttonHide);
    connect(m_goTo, &QPushButton::clicked, this, &SearchView::buttonGoTo);
    connect(m_table, &QAbstractItemView::doubleClicked, this, &SearchView::onResultsDoubleClick);
    connect(m_edit, &SearchEdit::search, this, &SearchView::onSearch);
    connect(m_edit, &SearchEdit::clean, this, &SearchView::onCleanSearch);

    retranslate();
}

void SearchView::retranslate()
{
    m_caption->setText(tr("Search"));
    m_goTo->setText(tr("GO TO..."));
    m_cancel->setText(tr("CANCEL"));
    m_close->setToolTip(tr("Close"));
    m_edit->setPlaceholderText(tr("Search by text or by page number"));
    updateStatus();
}

void SearchView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QFrame::changeEvent(event);
}

void SearchView::setSearchFieldVisible(bool visible)
{
    m_edit->setVisible(visible);
}

void SearchView::onSearch(const QString& text)
{
    m_text = text.trimmed();
    m_context->setSearchText(m_text);
    m_edit->setText(m_text);
    beginSearch();
}

void SearchView::beginSearch()
{
    cancel();
    m_model->clear();
    m_document = m_context->document();
    m_bookId = m_context->book().id;
    m_state = 0;
    m_searched = false;
    if (!m_document) {
        updateStatus();
        return;
    }
    // White space alone would match every paragraph; it only takes the old
    // highlighting away.
    if (m_text.isEmpty()) {
        m_document->clearSearch();
        updateStatus();
        return;
    }
    m_searched = true;
    qCDebug(lcSearchView) << "search begins";
    m_timer.start();
    updateStatus();
}

void SearchView::searchStep()
{
    // The book may have been closed or replaced since the last step.
    IDocument* document = m_context->document();
    if (!document || document != m_document || m_context->book().id != m_bookId) {
        cancel();
        updateStatus();
        return;
    }
    QList<SearchResult> found;
    const bool more = document->searchStep(m_text, m_state, StepBudgetMs, found);
    m_model->appendResults(found);
    if (!more)
        m_timer.stop();
    updateStatus();
}

void SearchView::cancel()
{
    m_timer.stop();
}

void SearchView::reset()
{
    cancel();
    m_model->clear();
    m_document = nullptr;
    m_text.clear();
    m_searched = false;
    m_edit->setText(QString());
    updateStatus();
}

void SearchView::onCleanSearch()
{
    cancel();
    m_model->clear();
    m_text.clear();
    m_searched = false;
    m_edit->setText(QString());
    m_context->clearSearch();
    updateStatus();
    emit clean();
}

void SearchView::updateStatus()
{
    const int count = m_model->rowCount();
    if (!m_searched) {
        m_status->hide();
        return;
    }
    if (isSearching())
        m_status->setText(tr("Searching… found so far: %1").arg(count));
    else if (count == 0)
        m_status->setText(tr("Nothing found for \"%1\".").arg(m_text));
    else
        m_status->setText(tr("Found: %1").arg(count));
    m_status->show();
}

void SearchView::onResultsDoubleClick(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    if (index.data(SearchModel::PageJumpRole).toBool())
        emit navigateToPage(index.data(SearchModel::PageRole).toInt());
    else
        emit navigateToPosition(index.data(SearchModel::PositionRole).toInt());
    emit hideWindow();
}

void SearchView::buttonGoTo()
{
    onButtonGoTo();
}

void SearchView::onButtonGoTo()
{
    onResultsDoubleClick(m_table->currentIndex());
}

void SearchView::buttonHide()
{
    emit hideWindow();
}

void SearchView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        emit hideWindow();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter in the field is a search (handled there), not a choice.
        if (!m_edit->lineEdit()->hasFocus())
            onButtonGoTo();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

void SearchView::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    // Full screen: straight into the field; otherwise into the results.
    if (m_edit->isVisible())
        m_edit->lineEdit()->setFocus();
    else
        m_table->setFocus();
}
