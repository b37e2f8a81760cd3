#include "WindowBar.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>

namespace {
const char* const kWindowImages = ":/style/images/window/";

void restyle(QWidget* widget)
{
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
    widget->update();
}
} // namespace

WindowBar::WindowBar(QWidget* parent) : QFrame(parent)
{
    setObjectName("windowBar");
    setFixedHeight(34);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 0, 0, 0);
    layout->setSpacing(0);

    m_icon = new QLabel(this);
    m_icon->setObjectName("windowBarIcon");
    m_icon->setPixmap(QPixmap(QStringLiteral(":/style/images/appicon16.png")));
    m_icon->setFixedSize(16, 16);
    m_icon->setScaledContents(true);
    layout->addWidget(m_icon, 0, Qt::AlignVCenter);
    layout->addSpacing(8);

    m_label = new QLabel(this);
    m_label->setObjectName("windowBarLabel");
    layout->addWidget(m_label, 1, Qt::AlignVCenter);

    m_minimize = makeButton("windowMinimize", "minimize.png", QString(QChar(0x2013)));
    m_maximize = makeButton("windowMaximize", "maximize.png", QString(QChar(0x25A1)));
    m_close = makeButton("windowClose", "close.png", QString(QChar(0x2715)));
    m_minimize->setToolTip(tr("Minimize"));
    m_close->setToolTip(tr("Close"));
    layout->addWidget(m_minimize);
    layout->addWidget(m_maximize);
    layout->addWidget(m_close);
    updateMaximizeButton();

    connect(m_minimize, &QPushButton::clicked, this, &WindowBar::minimizeWindow);
    connect(m_maximize, &QPushButton::clicked, this, &WindowBar::maximizeWindow);
    connect(m_close, &QPushButton::clicked, this, &WindowBar::closeWindow);
}

QPushButton* WindowBar::makeButton(const QString& name, const QString& image, const QString& fallback)
{
    auto* button = new QPushButton(this);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(46, 34);
    button->setCursor(Qt::ArrowCursor);
    // The style sheet draws the images; until they are built into the
    // program a glyph keeps the button recognisable.
    if (!QFile::exists(QLatin1String(kWindowImages) + image))
        button->setText(fallback);
    return button;
}

void WindowBar::setTitle(const QString& title)
{
    m_label->setText(title);
}

QString WindowBar::title() const
{
    return m_label->text();
}

void WindowBar::setMinimizeVisible(bool visible)
{
    m_minimize->setVisible(visible);
}

void WindowBar::setMaximizeVisible(bool visible)
{
    m_maximize->setVisible(visible);
}

void WindowBar::setMaximized(bool maximized)
{
    if (m_maximized == maximized)
        return;
    m_maximized = maximized;
    updateMaximizeButton();
}

void WindowBar::updateMaximizeButton()
{
    m_maximize->setObjectName(m_maximized ? "windowMaximized" : "windowMaximize");
    m_maximize->setToolTip(m_maximized ? tr("Restore") : tr("Maximize"));
    if (!m_maximize->text().isEmpty())
        m_maximize->setText(QString(QChar(m_maximized ? 0x2750 : 0x25A1)));
    restyle(m_maximize);
}

void WindowBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_maximize->isVisible()) {
        emit maximizeWindow();
        event->accept();
        return;
    }
    QFrame::mouseDoubleClickEvent(event);
}
