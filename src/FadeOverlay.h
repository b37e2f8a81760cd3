#pragma once

#include <QColor>
#include <QFrame>
#include <QPointer>

class QPropertyAnimation;

/// A frame laid over a page viewer that dims the page while the next one is
/// produced: fadeIn() covers the parent and goes from clear to 60 % in
/// 300 ms, fadeOut() goes back to clear and hides. Mouse events pass through
/// to the page. GUI thread only.
class FadeOverlay : public QFrame
{
    Q_OBJECT
public:
    static constexpr int Duration = 300; // ms
    static constexpr qreal Opacity = 0.6;

    explicit FadeOverlay(QWidget* parent);

    void setColor(const QColor& color);
    QColor color() const { return m_color; }

public slots:
    void fadeIn();
    /// Nothing when the overlay is hidden.
    void fadeOut();

private:
    void animate(qreal from, qreal to, bool hideAtEnd);

    QColor m_color;
    QPointer<QPropertyAnimation> m_animation;
    qreal m_opacity = 0;
};
