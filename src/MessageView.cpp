#include "MessageView.h"

#include "WindowBar.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QQueue>
#include <QVBoxLayout>

namespace {
QQueue<int>& answers()
{
    static QQueue<int> queue;
    return queue;
}

QList<MessageView::Shown>& shown()
{
    static QList<MessageView::Shown> list;
    return list;
}
} // namespace

MessageView::MessageView(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("messageView");
    // Opaque on purpose: without a compositing manager the see-through
    // margin of a translucent frameless window shows as a black band.
    setAttribute(Qt::WA_StyledBackground);
    setWindowTitle(title);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(20, 20, 20, 20);

    m_frame = new QFrame(this);
    m_frame->setObjectName("messageBox");
    m_frame->setMinimumSize(450, 190);
    outer->addWidget(m_frame);

    auto* inner = new QVBoxLayout(m_frame);
    inner->setContentsMargins(9, 5, 8, 15);

    m_windowBar = new WindowBar(m_frame);
    m_windowBar->setTitle(title);
    m_windowBar->setMinimizeVisible(false);
    m_windowBar->setMaximizeVisible(false);
    inner->addWidget(m_windowBar);

    m_label = new QLabel(text, m_frame);
    m_label->setObjectName("messageText");
    m_label->setWordWrap(true);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_label->setContentsMargins(12, 8, 12, 8);
    inner->addWidget(m_label, 1);

    m_buttons = new QDialogButtonBox(Qt::Horizontal, m_frame);
    m_buttons->setCenterButtons(false);
    inner->addWidget(m_buttons);

    m_ok = new QPushButton(tr("OK"), m_frame);
    m_ok->setObjectName("buttonOk");
    m_ok->setFixedSize(100, 42);
    m_ok->setDefault(true);
    m_buttons->addButton(m_ok, QDialogButtonBox::AcceptRole);

    connect(m_buttons, &QDialogButtonBox::clicked, this, &MessageView::buttonClicked);
    connect(m_windowBar, &WindowBar::closeWindow, this, &MessageView::onCloseWindow);
}

MessageView* MessageView::createCompact(const QString& title, const QString& text, QWidget* parent)
{
    auto* box = new MessageView(title, text, parent);
    box->m_frame->setMinimumSize(426, 173);
    return box;
}

int MessageView::information(QWidget* parent, const QString& title, const QString& text)
{
    MessageView box(title, text, parent);
    box.exec();
    return box.clickedRole();
}

void MessageView::setCancelOnly()
{
    m_buttons->removeButton(m_ok);
    m_ok->hide();
    auto* cancel = new QPushButton(tr("CANCEL"), m_frame);
    cancel->setObjectName("buttonCancel");
    cancel->setFixedSize(100, 42);
    cancel->setAutoDefault(false);
    m_buttons->addButton(cancel, QDialogButtonBox::RejectRole);
}

void MessageView::addButton(QAbstractButton* button, QDialogButtonBox::ButtonRole role)
{
    m_buttons->addButton(button, role);
}

QString MessageView::title() const
{
    return m_windowBar->title();
}

QString MessageView::text() const
{
    return m_label->text();
}

int MessageView::exec()
{
    shown().append({title(), text()});
    if (!answers().isEmpty()) {
        const int answer = answers().dequeue();
        if (answer == CloseAnswer) {
            m_clickedRole = QDialogButtonBox::RejectRole;
            setResult(1);
            return 1;
        }
        m_clickedRole = answer;
        setResult(0);
        return 0;
    }
    return QDialog::exec();
}

void MessageView::setNextAnswer(int role)
{
    answers().enqueue(role);
}

void MessageView::clearAnswers()
{
    answers().clear();
}

QList<MessageView::Shown> MessageView::shownMessages()
{
    return shown();
}

void MessageView::clearShownMessages()
{
    shown().clear();
}

void MessageView::buttonClicked(QAbstractButton* button)
{
    m_clickedRole = m_buttons->buttonRole(button);
    hide();
}

void MessageView::onCloseWindow()
{
    setResult(1);
    hide();
}

void MessageView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        setResult(1);
        hide();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageView::centreOnParentWindow(QWidget* dialog)
{
    const QWidget* parent = dialog->parentWidget();
    if (!parent)
        return;
    // Centre on the window's client area: the main window is frameless, and
    // a decorated parent's frame must not pull the box off centre.
    const QWidget* window = parent->window();
    const QRect area = window->rect();
    const QRect own = dialog->rect();
    const QPoint centre =
        window->mapToGlobal(QPoint((area.left() + area.right()) / 2, (area.top() + area.bottom()) / 2));
    dialog->move(centre - QPoint((own.left() + own.right()) / 2, (own.top() + own.bottom()) / 2));
}

void MessageView::showEvent(QShowEvent* event)
{
    adjustSize();
    centreOnParentWindow(this);
    QDialog::showEvent(event);
}

void MessageView::mousePressEvent(QMouseEvent* event)
{
    m_pressPos = event->pos();
    m_pressed = true;
    QDialog::mousePressEvent(event);
}

void MessageView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed)
        move(event->globalPos() - m_pressPos);
    QDialog::mouseMoveEvent(event);
}

void MessageView::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = false;
    QDialog::mouseReleaseEvent(event);
}
