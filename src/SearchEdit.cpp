#include "SearchEdit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedLayout>

SearchEdit::SearchEdit(QWidget* parent) : QFrame(parent)
{
    setFixedHeight(30);
    setMinimumWidth(320);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* box = new QFrame(this);
    box->setObjectName("box");
    outer->addWidget(box);

    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(10, 0, 4, 0);
    row->setSpacing(2);
    m_edit = new QLineEdit(box);
    m_edit->setObjectName("editSearch");
    row->addWidget(m_edit, 1);

    auto* holder = new QWidget(box);
    holder->setFixedSize(24, 24);
    m_buttons = new QStackedLayout(holder);
    m_buttons->setContentsMargins(0, 0, 0, 0);
    for (QPushButton** button : {&m_searchButton, &m_clearButton}) {
        *button = new QPushButton(holder);
        (*button)->setFocusPolicy(Qt::NoFocus);
        (*button)->setCursor(Qt::PointingHandCursor);
        (*button)->setFixedSize(24, 24);
        m_buttons->addWidget(*button);
    }
    m_searchButton->setObjectName("buttonSearch");
    m_clearButton->setObjectName("buttonClearSearch");
    row->addWidget(holder);

    connect(m_searchButton, &QPushButton::clicked, this, &SearchEdit::riseSearch);
    connect(m_edit, &QLineEdit::returnPressed, this, &SearchEdit::riseSearch);
    connect(m_edit, &QLineEdit::textChanged, this, &SearchEdit::textChanged);
    // Only the user's edits: a field emptied or filled by the program (page
    // change, the search text of the open book) is no request to filter.
    connect(m_edit, &QLineEdit::textEdited, this, &SearchEdit::changed);
    connect(m_clearButton, &QPushButton::clicked, this, [this] {
        m_edit->clear();
        emit clean();
    });
    retranslate();
}

void SearchEdit::retranslate()
{
    m_searchButton->setToolTip(tr("Search"));
    m_clearButton->setToolTip(tr("Clear search"));
}

void SearchEdit::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QFrame::changeEvent(event);
}

QString SearchEdit::text() const
{
    return m_edit->text();
}

void SearchEdit::setText(const QString& text)
{
    m_edit->setText(text);
}

void SearchEdit::setPlaceholderText(const QString& text)
{
    m_edit->setPlaceholderText(text);
}

void SearchEdit::riseSearch()
{
    emit search(m_edit->text().trimmed());
}

void SearchEdit::textChanged(const QString& text)
{
    m_buttons->setCurrentWidget(text.isEmpty() ? m_searchButton : m_clearButton);
}
