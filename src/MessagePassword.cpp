#include "MessagePassword.h"

#include "MessageView.h"
#include "WindowBar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QQueue>
#include <QVBoxLayout>

namespace {
struct Answer
{
    bool accepted;
    QString password;
};

QQueue<Answer>& answers()
{
    static QQueue<Answer> queue;
    return queue;
}
} // namespace

MessagePassword::MessagePassword(QWidget* parent) : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName("messagePasswordView");
    // Opaque on purpose: without a compositing manager the see-through
    // margin of a translucent frameless window shows as a black band.
    setAttribute(Qt::WA_StyledBackground);
    setWindowTitle(tr("Enter password"));
    setWindowIcon(QIcon(QStringLiteral(":/style/images/AppIconPdf256.png")));
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);

    auto* frame = new QFrame(this);
    frame->setObjectName("messagePassword");
    frame->setMinimumSize(380, 190);
    outer->addWidget(frame);

    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(9, 5, 8, 15);

    m_windowBar = new WindowBar(frame);
    m_windowBar->setTitle(tr("Enter password"));
    m_windowBar->setMinimizeVisible(false);
    m_windowBar->setMaximizeVisible(false);
    inner->addWidget(m_windowBar);

    m_label = new QLabel(tr("This document is protected. Enter its password to open it."), frame);
    m_label->setObjectName("messageText");
    m_label->setWordWrap(true);
    m_label->setContentsMargins(12, 8, 12, 0);
    inner->addWidget(m_label);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(12, 4, 12, 4);
    auto* caption = new QLabel(tr("Password:"), frame);
    caption->setObjectName("labelPassword");
    m_edit = new QLineEdit(frame);
    m_edit->setObjectName("editPassword");
    m_edit->setEchoMode(QLineEdit::Password);
    caption->setBuddy(m_edit);
    row->addWidget(caption);
    row->addWidget(m_edit, 1);
    inner->addLayout(row);
    inner->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = new QPushButton(tr("OK"), frame);
    m_ok->setObjectName("buttonOk");
    m_ok->setFixedSize(100, 42);
    m_ok->setDefault(true);
    buttons->addWidget(m_ok);
    inner->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_windowBar, &WindowBar::closeWindow, this, &QDialog::reject);
    m_edit->setFocus();
}

QString MessagePassword::password() const
{
    return m_edit->text();
}

void MessagePassword::setText(const QString& text)
{
    m_label->setText(text);
}

int MessagePassword::exec()
{
    if (!answers().isEmpty()) {
        const Answer answer = answers().dequeue();
        m_edit->setText(answer.password);
        setResult(answer.accepted ? QDialog::Accepted : QDialog::Rejected);
        return result();
    }
    return QDialog::exec();
}

void MessagePassword::setNextAnswer(bool accepted, const QString& password)
{
    answers().enqueue({accepted, password});
}

void MessagePassword::clearAnswers()
{
    answers().clear();
}

void MessagePassword::showEvent(QShowEvent* event)
{
    adjustSize();
    MessageView::centreOnParentWindow(this);
    QDialog::showEvent(event);
    m_edit->setFocus();
}

void MessagePassword::mousePressEvent(QMouseEvent* event)
{
    m_pressPos = event->pos();
    m_pressed = true;
    QDialog::mousePressEvent(event);
}

void MessagePassword::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed)
        move(event->globalPos() - m_pressPos);
    QDialog::mouseMoveEvent(event);
}

void MessagePassword::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = false;
    QDialog::mouseReleaseEvent(event);
}
