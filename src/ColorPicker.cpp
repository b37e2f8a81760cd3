#include "ColorPicker.h"

#include <QColorDialog>
#include <QPainter>

ColorPicker::ColorPicker(QWidget* parent) : QPushButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    connect(this, &QPushButton::clicked, this, &ColorPicker::chooseColor);
}

void ColorPicker::changeColor(QColor color)
{
    m_color = color;
    update();
    emit colorChanged(color);
}

void ColorPicker::chooseColor()
{
    const QColor chosen = QColorDialog::getColor(m_color, this);
    if (chosen.isValid())
        changeColor(chosen);
}

void ColorPicker::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_color);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(215, 216, 217), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 2, 2);
    // Keyboard users must see where they are: the frame turns to the accent.
    if (hasFocus()) {
        painter.setPen(QPen(QColor(0x2e, 0x7d, 0x6b), 2));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 2, 2);
    }
}
