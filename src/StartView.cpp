#include "StartView.h"

#include "BookDrag.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

StartView::StartView(QWidget* parent) : QFrame(parent)
{
    setObjectName("startView");
    setAcceptDrops(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 40, 40, 60);
    layout->setSpacing(18);
    layout->addStretch(3);

    auto* logo = new QLabel(this);
    logo->setObjectName("labelStartLogo");
    logo->setPixmap(QPixmap(QStringLiteral(":/style/images/splashlogo.png")));
    logo->setAlignment(Qt::AlignCenter);
    layout->addWidget(logo);

    m_text = new QLabel(this);
    m_text->setObjectName("labelStartView");
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    layout->addWidget(m_text);

    m_button = new QPushButton(this);
    m_button->setObjectName("buttonBigAddBook");
    m_button->setMinimumSize(220, 52);
    m_button->setCursor(Qt::PointingHandCursor);
    layout->addWidget(m_button, 0, Qt::AlignHCenter);

    m_hint = new QLabel(this);
    m_hint->setObjectName("labelStartHint");
    m_hint->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_hint);
    layout->addStretch(4);

    retranslate();
    connect(m_button, &QPushButton::clicked, this, &StartView::addBook);
}

void StartView::retranslate()
{
    m_text->setText(tr("Add book to your library to start reading"));
    m_button->setText(tr("Add book"));
    m_hint->setText(tr("or drop EPUB, MOBI, FB2, PDF and comic files here"));
}

void StartView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QFrame::changeEvent(event);
}

void StartView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!BookDrag::localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void StartView::dropEvent(QDropEvent* event)
{
    const QFileInfoList files = BookDrag::takeDroppedFiles(event);
    if (files.isEmpty())
        return;
    emit droppedFiles(files);
    emit switchToLibrary();
}
