#include "ReadToolBar.h"

#include "Settings.h"

#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
void rename(QPushButton* button, const QString& name, int side)
{
    button->style()->unpolish(button);
    button->setObjectName(name);
    button->style()->polish(button);
    button->setFixedSize(side, side);
    button->update();
}
} // namespace

ReadToolBar::ReadToolBar(QWidget* parent) : QFrame(parent)
{
    setObjectName("readToolBar");
    setMouseTracking(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    m_fullScreen = addButton(tr("Full screen"));
    m_contents = addButton(tr("Contents"));
    m_bookmark = addButton(tr("Add bookmark"));
    m_increaseFont = addButton(tr("Larger font"));
    m_decreaseFont = addButton(tr("Smaller font"));
    m_zoomIn = addButton(tr("Zoom in"));
    m_zoomOut = addButton(tr("Zoom out"));
    m_fitSize = addButton(tr("Fit to page"));
    m_original = addButton(tr("Original size"));
    m_switchView = addButton(tr("One or two columns"));
    m_nextProfile = addButton(tr("Next reading profile"));
    m_search = addButton(tr("Search"));
    layout->addStretch(1);

    m_search->hide();
    m_zoomIn->hide();

    connect(m_fullScreen, &QPushButton::clicked, this, &ReadToolBar::buttonFullScreen);
    connect(m_contents, &QPushButton::clicked, this, &ReadToolBar::buttonShowContents);
    connect(m_bookmark, &QPushButton::clicked, this, &ReadToolBar::buttonAddBookmark);
    connect(m_increaseFont, &QPushButton::clicked, this, &ReadToolBar::buttonIncreaseFont);
    connect(m_decreaseFont, &QPushButton::clicked, this, &ReadToolBar::buttonDescreaseFont);
    connect(m_zoomIn, &QPushButton::clicked, this, &ReadToolBar::zoomIn);
    connect(m_zoomOut, &QPushButton::clicked, this, &ReadToolBar::zoomOut);
    connect(m_fitSize, &QPushButton::clicked, this, &ReadToolBar::fitSize);
    connect(m_original, &QPushButton::clicked, this, &ReadToolBar::original);
    connect(m_switchView, &QPushButton::clicked, this, &ReadToolBar::onSwitchColumnCount);
    connect(m_nextProfile, &QPushButton::clicked, this, &ReadToolBar::buttonNextProfile);
    connect(m_search, &QPushButton::clicked, this, &ReadToolBar::search);

    updateStyle();
}

QPushButton* ReadToolBar::addButton(const QString& toolTip)
{
    auto* button = new QPushButton(this);
    button->setToolTip(toolTip);
    button->setCursor(Qt::PointingHandCursor);
    // The reader's keys (Space, arrows) belong to the page, not to a button.
    button->setFocusPolicy(Qt::NoFocus);
    button->setFlat(true);
    layout()->addWidget(button);
    layout()->setAlignment(button, Qt::AlignHCenter);
    return button;
}

void ReadToolBar::updateStyle()
{
    const int profile = Settings::instance()->data().currentProfile;
    const QString theme = (profile == Settings::Day || profile == Settings::Night) ? QStringLiteral("day")
                                                                                   : QStringLiteral("sepia");
    const QString size = m_bigIcons ? QStringLiteral("big") : QStringLiteral("small");
    const QString layoutWord = m_columnCount == 1 ? QStringLiteral("table") : QStringLiteral("column");
    const int side = m_bigIcons ? 30 : 16;
    auto two = [&](const char* pattern) { return QString::fromLatin1(pattern).arg(theme, size); };

    rename(m_fullScreen, two("buttonFullScreen_%1_%2"), side);
    rename(m_bookmark, two("buttonBookmark_%1_%2"), side);
    rename(m_increaseFont, two("buttonIncreasFont_%1_%2"), side);
    rename(m_decreaseFont, two("buttonDecreasFont_%1_%2"), side);
    rename(m_switchView, QStringLiteral("buttonSwitchView_%1_%2_%3").arg(layoutWord, theme, size), side);
    rename(m_nextProfile, QStringLiteral("buttonSwitchPartDay_%1_day_%2").arg(theme, size), side);
    rename(m_contents, two("buttonContent_%1_%2"), side);
    rename(m_zoomIn, two("buttonZoomIn_%1_%2"), side);
    rename(m_zoomOut, two("buttonZoomOut_%1_%2"), side);
    rename(m_fitSize, two("buttonFitSize_%1_%2"), side);
    rename(m_original, two("buttonOriginal_%1_%2"), side);
    rename(m_search, two("buttonSearch_%1_%2"), side);
    m_search->setVisible(m_bigIcons);
    layout()->setSpacing(m_bigIcons ? 22 : 16);
    m_fullScreen->setToolTip(m_bigIcons ? tr("Leave full screen") : tr("Full screen"));
}

void ReadToolBar::setBigIcons(bool big)
{
    m_bigIcons = big;
    updateStyle();
}

void ReadToolBar::setColumnCount(int count)
{
    m_columnCount = count;
    updateStyle();
}

void ReadToolBar::setFullScreenHidden(bool hidden)
{
    m_fullScreen->setHidden(hidden);
}
void ReadToolBar::setContentsHidden(bool hidden)
{
    m_contents->setHidden(hidden);
}
void ReadToolBar::setBookmarkHidden(bool hidden)
{
    m_bookmark->setHidden(hidden);
}
void ReadToolBar::setIncreaseFontHidden(bool hidden)
{
    m_increaseFont->setHidden(hidden);
}
void ReadToolBar::setDecreaseFontHidden(bool hidden)
{
    m_decreaseFont->setHidden(hidden);
}
void ReadToolBar::setZoomInHidden(bool hidden)
{
    m_zoomIn->setHidden(hidden);
}
void ReadToolBar::setZoomOutHidden(bool hidden)
{
    m_zoomOut->setHidden(hidden);
}
void ReadToolBar::setFitSizeHidden(bool hidden)
{
    m_fitSize->setHidden(hidden);
}
void ReadToolBar::setOriginalHidden(bool hidden)
{
    m_original->setHidden(hidden);
}
void ReadToolBar::setSwitchViewHidden(bool hidden)
{
    m_switchView->setHidden(hidden);
}
void ReadToolBar::setNextProfileHidden(bool hidden)
{
    m_nextProfile->setHidden(hidden);
}
void ReadToolBar::setSearchHidden(bool hidden)
{
    m_search->setHidden(hidden);
}

void ReadToolBar::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoving();
    QFrame::mouseMoveEvent(event);
}

void ReadToolBar::buttonFullScreen()
{
    emit fullScreen();
}
void ReadToolBar::onSwitchColumnCount()
{
    emit switchColumnCount();
}
void ReadToolBar::buttonAddBookmark()
{
    emit addBookmark();
}
void ReadToolBar::buttonShowContents()
{
    emit showContents();
}
void ReadToolBar::buttonIncreaseFont()
{
    emit increaseFont();
}
void ReadToolBar::buttonDescreaseFont()
{
    emit decreaseFont();
}
void ReadToolBar::buttonNextProfile()
{
    emit nextProfile();
}
