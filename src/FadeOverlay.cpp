#include "FadeOverlay.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>

FadeOverlay::FadeOverlay(QWidget* parent) : QFrame(parent)
{
    setObjectName("fadeFrame");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAutoFillBackground(true);
    hide();
}

void FadeOverlay::setColor(const QColor& color)
{
    m_color = color;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, color);
    setPalette(palette);
}

void FadeOverlay::fadeIn()
{
    if (!parentWidget())
        return;
    setGeometry(parentWidget()->rect());
    show();
    raise();
    // From where a fade-out was interrupted, so a quick page turn does not
    // flash.
    animate(m_animation ? m_opacity : 0.0, Opacity, false);
}

void FadeOverlay::fadeOut()
{
    if (!isVisible())
        return;
    animate(m_animation ? m_opacity : Opacity, 0.0, true);
}

void FadeOverlay::animate(qreal from, qreal to, bool hideAtEnd)
{
    if (m_animation)
        m_animation->stop(); // deletes itself
    auto* effect = new QGraphicsOpacityEffect(this);
    effect->setOpacity(from);
    setGraphicsEffect(effect); // deletes the previous effect
    m_opacity = from;
    auto* animation = new QPropertyAnimation(effect, "opacity", this);
    animation->setDuration(Duration);
    animation->setStartValue(from);
    animation->setEndValue(to);
    connect(animation, &QPropertyAnimation::valueChanged, this,
            [this](const QVariant& value) { m_opacity = value.toReal(); });
    if (hideAtEnd)
        connect(animation, &QPropertyAnimation::finished, this, &QWidget::hide);
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}
