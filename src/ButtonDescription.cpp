#include "ButtonDescription.h"

#include <QPainter>

void ButtonDescription::setDescription(const QString& text)
{
    m_description = text;
    updateGeometry();
    update();
}

void ButtonDescription::setColorDescriptionNormal(const QColor& color)
{
    m_normal = color;
    update();
}

void ButtonDescription::setColorDescriptionHover(const QColor& color)
{
    m_hover = color;
    update();
}

void ButtonDescription::setColorDescriptionPressed(const QColor& color)
{
    m_pressed = color;
    update();
}

void ButtonDescription::setColorDescriptionChecked(const QColor& color)
{
    m_checked = color;
    update();
}

void ButtonDescription::setColorDescriptionDisabled(const QColor& color)
{
    m_disabled = color;
    update();
}

void ButtonDescription::setTextPadding(int padding)
{
    m_textPadding = padding;
    updateGeometry();
    update();
}

QFont ButtonDescription::descriptionFont() const
{
    QFont small = font();
    if (small.pixelSize() > 0)
        small.setPixelSize(qMax(8, small.pixelSize() - 2));
    else
        small.setPointSizeF(qMax(6.0, small.pointSizeF() - 1.5));
    small.setBold(false);
    return small;
}

QColor ButtonDescription::descriptionColor() const
{
    QColor color;
    switch (visualState()) {
    case Hover:
        color = m_hover;
        break;
    case Pressed:
        color = m_pressed;
        break;
    case Checked:
        color = m_checked;
        break;
    case Disabled:
        color = m_disabled;
        break;
    default:
        break;
    }
    if (!color.isValid())
        color = m_normal;
    return color.isValid() ? color : textColor();
}

QSize ButtonDescription::textSize() const
{
    const QSize main = Button::textSize();
    if (m_description.isEmpty())
        return main;
    const QFontMetrics small(descriptionFont());
    return QSize(qMax(main.width(), small.horizontalAdvance(m_description)),
                 main.height() + m_textPadding + small.height());
}

void ButtonDescription::drawText(QPainter& painter, const QRect& rect)
{
    if (m_description.isEmpty()) {
        Button::drawText(painter, rect);
        return;
    }
    const QFontMetrics small(descriptionFont());
    const int total = fontMetrics().height() + m_textPadding + small.height();
    const int top = rect.top() + (rect.height() - total) / 2;
    painter.setPen(textColor());
    painter.setFont(font());
    painter.drawText(QRect(rect.left(), top, rect.width(), fontMetrics().height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, rect.width()));
    painter.setPen(descriptionColor());
    painter.setFont(descriptionFont());
    painter.drawText(
        QRect(rect.left(), top + fontMetrics().height() + m_textPadding, rect.width(), small.height()),
        Qt::AlignLeft | Qt::AlignVCenter, small.elidedText(m_description, Qt::ElideRight, rect.width()));
}
