#include "Button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

#define BUTTON_SETTER(Name, Type, member)                                                                    \
    void Button::Name(const Type& value)                                                                     \
    {                                                                                                        \
        member = value;                                                                                      \
        changed();                                                                                           \
    }

Button::Button(QWidget* parent) : QPushButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

Button::Button(const QString& objectName, QWidget* parent) : Button(parent)
{
    setObjectName(objectName);
}

BUTTON_SETTER(setIconNormal, QPixmap, m_iconNormal)
BUTTON_SETTER(setIconHover, QPixmap, m_iconHover)
BUTTON_SETTER(setIconPressed, QPixmap, m_iconPressed)
BUTTON_SETTER(setIconChecked, QPixmap, m_iconChecked)
BUTTON_SETTER(setIconDisabled, QPixmap, m_iconDisabled)
BUTTON_SETTER(setColorTextNormal, QColor, m_colorNormal)
BUTTON_SETTER(setColorTextHover, QColor, m_colorHover)
BUTTON_SETTER(setColorTextPressed, QColor, m_colorPressed)
BUTTON_SETTER(setColorTextChecked, QColor, m_colorChecked)
BUTTON_SETTER(setColorTextDisabled, QColor, m_colorDisabled)
BUTTON_SETTER(setMenuIconNormal, QPixmap, m_menuNormal)
BUTTON_SETTER(setMenuIconHover, QPixmap, m_menuHover)
BUTTON_SETTER(setMenuIconPressed, QPixmap, m_menuPressed)
BUTTON_SETTER(setMenuIconChecked, QPixmap, m_menuChecked)
BUTTON_SETTER(setMenuIconDisabled, QPixmap, m_menuDisabled)
BUTTON_SETTER(setMenuIconSize, QSize, m_menuIconSize)

void Button::setIconAlignment(Qt::Alignment alignment)
{
    m_iconAlignment = alignment;
    changed();
}

void Button::setIconPaddingLeft(int padding)
{
    m_iconPaddingLeft = padding;
    changed();
}

void Button::setIconPaddingRight(int padding)
{
    m_iconPaddingRight = padding;
    changed();
}

void Button::setMenuIconPaddingRight(int padding)
{
    m_menuPaddingRight = padding;
    changed();
}

void Button::changed()
{
    updateGeometry();
    update();
}

Button::State Button::visualState() const
{
    if (!isEnabled())
        return Disabled;
    if (isChecked())
        return Checked;
    if (isDown())
        return Pressed;
    if (underMouse())
        return Hover;
    return Normal;
}

namespace {
template <typename T>
const T& pick(Button::State state, const T& normal, const T& hover, const T& pressed, const T& checked,
              const T& disabled, bool (*isSet)(const T&))
{
    const T* chosen = &normal;
    switch (state) {
    case Button::Hover:
        chosen = &hover;
        break;
    case Button::Pressed:
        chosen = &pressed;
        break;
    case Button::Checked:
        chosen = &checked;
        break;
    case Button::Disabled:
        chosen = &disabled;
        break;
    default:
        break;
    }
    return isSet(*chosen) ? *chosen : normal;
}

bool pixmapSet(const QPixmap& pixmap)
{
    return !pixmap.isNull();
}

bool colorSet(const QColor& color)
{
    return color.isValid();
}
} // namespace

QPixmap Button::currentIcon() const
{
    return pick<QPixmap>(visualState(), m_iconNormal, m_iconHover, m_iconPressed, m_iconChecked,
                         m_iconDisabled, pixmapSet);
}

QPixmap Button::currentMenuIcon() const
{
    return pick<QPixmap>(visualState(), m_menuNormal, m_menuHover, m_menuPressed, m_menuChecked,
                         m_menuDisabled, pixmapSet);
}

QColor Button::textColor() const
{
    const QColor color = pick<QColor>(visualState(), m_colorNormal, m_colorHover, m_colorPressed,
                                      m_colorChecked, m_colorDisabled, colorSet);
    if (color.isValid())
        return color;
    return palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
}

QSize Button::logicalSize(const QPixmap& pixmap)
{
    return pixmap.isNull() ? QSize() : pixmap.size() / pixmap.devicePixelRatio();
}

QSize Button::textSize() const
{
    if (text().isEmpty())
        return QSize(0, fontMetrics().height());
    return QSize(fontMetrics().horizontalAdvance(text()), fontMetrics().height());
}

void Button::drawText(QPainter& painter, const QRect& rect)
{
    painter.setPen(textColor());
    painter.setFont(font());
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, rect.width()));
}

QSize Button::sizeHint() const
{
    const QSize icon = logicalSize(m_iconNormal);
    const QSize label = textSize();
    int width = m_iconPaddingLeft + label.width() + 4;
    if (icon.isValid())
        width += icon.width() + (label.width() > 0 ? m_iconPaddingRight : 0);
    if (!m_menuNormal.isNull())
        width += m_menuIconSize.width() + m_menuPaddingRight + 6;
    const int height = qMax(label.height(), icon.isValid() ? icon.height() : 0);
    QStyleOptionButton option;
    initStyleOption(&option);
    // The style (sheet) adds its borders, paddings and minimum sizes.
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, QSize(width, height), this);
}

QSize Button::minimumSizeHint() const
{
    return QSize(qMin(sizeHint().width(), 40), sizeHint().height());
}

void Button::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);

    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const QPixmap menu = currentMenuIcon();
    if (!menu.isNull()) {
        const QRect mark(area.right() - m_menuPaddingRight - m_menuIconSize.width() + 1,
                         area.top() + (area.height() - m_menuIconSize.height()) / 2, m_menuIconSize.width(),
                         m_menuIconSize.height());
        painter.drawPixmap(mark, menu);
        area.setRight(mark.left() - 4);
    }

    const QPixmap icon = currentIcon();
    const QSize iconSize = logicalSize(icon);
    const QSize label = textSize();
    const bool hasText = !text().isEmpty();
    int x = area.left() + m_iconPaddingLeft;
    if (m_iconAlignment & Qt::AlignHCenter) {
        const int group = (iconSize.isValid() ? iconSize.width() : 0) +
                          (hasText ? label.width() + (iconSize.isValid() ? m_iconPaddingRight : 0) : 0);
        x = area.left() + (area.width() - group) / 2;
    }
    if (iconSize.isValid()) {
        painter.drawPixmap(QRect(QPoint(x, area.top() + (area.height() - iconSize.height()) / 2), iconSize),
                           icon);
        x += iconSize.width() + m_iconPaddingRight;
    }
    if (hasText)
        drawText(painter, QRect(x, area.top(), area.right() - x + 1, area.height()));
}

void Button::enterEvent(QEvent* event)
{
    QPushButton::enterEvent(event);
    update();
}

void Button::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    update();
}
