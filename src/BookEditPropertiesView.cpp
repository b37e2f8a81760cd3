#include "BookEditPropertiesView.h"

#include "BookModel.h"
#include "BookProvider.h"
#include "Logger.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

BookEditPropertiesView::BookEditPropertiesView(BookModel* books, QWidget* parent)
    : QFrame(parent), m_books(books)
{
    setObjectName("bookEditPropertiesView");
    setMinimumWidth(520);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(32, 24, 32, 24);
    outer->setSpacing(16);

    auto* top = new QHBoxLayout;
    m_caption = new QLabel(this);
    m_caption->setObjectName("labelEditCaption");
    m_caption->setTextFormat(Qt::PlainText);
    top->addWidget(m_caption, 1);
    auto* close = new QPushButton(this);
    close->setObjectName("buttonCloseSettings");
    close->setFixedSize(28, 28);
    close->setCursor(Qt::PointingHandCursor);
    close->setToolTip(tr("Close"));
    top->addWidget(close);
    outer->addLayout(top);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(12);
    auto* titleLabel = new QLabel(tr("Title:"), this);
    titleLabel->setObjectName("labelEditField");
    m_editTitle = new QLineEdit(this);
    m_editTitle->setObjectName("editTitle");
    auto* authorLabel = new QLabel(tr("Author:"), this);
    authorLabel->setObjectName("labelEditField");
    m_editAuthor = new QLineEdit(this);
    m_editAuthor->setObjectName("editAuthor");
    auto* descriptionLabel = new QLabel(tr("Description:"), this);
    descriptionLabel->setObjectName("labelEditField");
    m_editDescription = new QTextEdit(this);
    m_editDescription->setObjectName("editDescription");
    m_editDescription->setAcceptRichText(false);
    grid->addWidget(titleLabel, 0, 0);
    grid->addWidget(m_editTitle, 0, 1);
    grid->addWidget(authorLabel, 1, 0);
    grid->addWidget(m_editAuthor, 1, 1);
    grid->addWidget(descriptionLabel, 2, 0, Qt::AlignTop);
    grid->addWidget(m_editDescription, 2, 1);
    grid->setRowStretch(2, 1);
    outer->addLayout(grid, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancelButton = new QPushButton(tr("CANCEL"), this);
    cancelButton->setObjectName("buttonCancel");
    cancelButton->setFixedHeight(42);
    cancelButton->setMinimumWidth(100);
    auto* saveButton = new QPushButton(tr("SAVE"), this);
    saveButton->setObjectName("buttonOk");
    saveButton->setFixedHeight(42);
    saveButton->setMinimumWidth(100);
    buttons->addWidget(cancelButton);
    buttons->addWidget(saveButton);
    outer->addLayout(buttons);

    connect(m_editTitle, &QLineEdit::textEdited, this, &BookEditPropertiesView::onTitleEdited);
    connect(m_editAuthor, &QLineEdit::textEdited, this, &BookEditPropertiesView::onAuthorEdited);
    connect(saveButton, &QPushButton::clicked, this, &BookEditPropertiesView::save);
    connect(cancelButton, &QPushButton::clicked, this, &BookEditPropertiesView::cancel);
    connect(close, &QPushButton::clicked, this, &BookEditPropertiesView::cancel);
    connect(m_editTitle, &QLineEdit::returnPressed, this, &BookEditPropertiesView::save);
    connect(m_editAuthor, &QLineEdit::returnPressed, this, &BookEditPropertiesView::save);
}

bool BookEditPropertiesView::loadBook(int bookId)
{
    const BookDto book = BookProvider::instance()->getBookById(bookId);
    m_bookId = book.id > 0 ? book.id : -1;
    m_title = book.title;
    m_author = book.author;
    m_caption->setText(tr("Edit %1").arg(book.title));
    m_editTitle->setText(book.title);
    m_editAuthor->setText(book.author);
    m_editDescription->setPlainText(
        m_bookId > 0 ? BookProvider::instance()->getMetaData(m_bookId, MetaDescription) : QString());
    m_editTitle->setFocus();
    return m_bookId > 0;
}

void BookEditPropertiesView::onTitleEdited(const QString& text)
{
    m_title = text;
}

void BookEditPropertiesView::onAuthorEdited(const QString& text)
{
    m_author = text;
}

void BookEditPropertiesView::save()
{
    if (m_bookId > 0) {
        // Read the record afresh: the reading position may have changed
        // since the page was filled, and must not be written back stale.
        BookDto book = BookProvider::instance()->getBookById(m_bookId);
        if (book.id > 0) {
            book.title = m_title.trimmed();
            book.author = m_author.trimmed();
            const bool stored = BookProvider::instance()->updateBook(book) &&
                                BookProvider::instance()->setMetaData(
                                    m_bookId, MetaDescription, m_editDescription->toPlainText().trimmed());
            if (!stored)
                logError(QStringLiteral("Update book [FAILED]. Error:%1")
                             .arg(BookProvider::instance()->lastError()));
            if (m_books)
                m_books->refreshCache(m_bookId);
            emit updated(m_bookId);
        }
    }
    emit onHideWindow(this);
}

void BookEditPropertiesView::cancel()
{
    emit onHideWindow(this);
}

void BookEditPropertiesView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancel();
        event->accept();
        return;
    }
    QFrame::keyPressEvent(event);
}
