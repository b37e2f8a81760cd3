#include "OverlayController.h"

#include <QEvent>
#include <QFrame>
#include <QPropertyAnimation>
#include <QSequentialAnimationGroup>
#include <QVariantAnimation>

namespace {
const int kDimOpacityMax = 60; // percent
}

OverlayController::OverlayController(QWidget* host, QWidget* area) : QObject(host), m_host(host), m_area(area)
{
    m_dimLayer = new QFrame(host);
    m_dimLayer->setObjectName("backgroundSettingsView");
    setDimOpacity(0.0);
    m_dimLayer->installEventFilter(this);
    m_dimLayer->hide();
}

QRect OverlayController::areaRect() const
{
    return QRect(m_area->mapTo(m_host, QPoint(0, 0)), m_area->size());
}

QRect OverlayController::panelRect(QWidget* panel) const
{
    const QRect area = areaRect();
    const int width = qBound(1, qMax(panel->minimumWidth(), panel->sizeHint().width()), area.width());
    return QRect(area.right() + 1 - width, area.top(), width, area.height());
}

void OverlayController::show(QWidget* panel)
{
    if (!panel)
        return;
    if (m_animation)
        m_animation->stop();
    if (m_active && m_active != panel)
        m_active->hide();
    m_active = panel;

    const QRect target = panelRect(panel);
    const QRect start = target.translated(target.width(), 0);
    m_dimLayer->setGeometry(areaRect());
    m_dimLayer->show();
    m_dimLayer->raise();
    panel->setGeometry(start);
    panel->show();
    panel->raise();

    auto* group = new QSequentialAnimationGroup(this);
    auto* fade = new QVariantAnimation(group);
    fade->setDuration(100);
    fade->setStartValue(0.0);
    fade->setEndValue(kDimOpacityMax / 100.0);
    connect(fade, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setDimOpacity(value.toReal()); });
    auto* slide = new QPropertyAnimation(panel, "geometry", group);
    slide->setDuration(300);
    slide->setStartValue(start);
    slide->setEndValue(target);
    slide->setEasingCurve(QEasingCurve::OutCubic);
    group->addAnimation(fade);
    group->addAnimation(slide);
    QPointer<QWidget> guard(panel);
    connect(group, &QAbstractAnimation::finished, panel, [guard] {
        if (guard)
            guard->setFocus();
    });
    m_animation = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void OverlayController::hide(QWidget* panel)
{
    if (!panel || !panel->isVisible())
        return;
    if (m_animation)
        m_animation->stop();
    if (m_active == panel)
        m_active = nullptr;

    const QRect target = panelRect(panel);
    auto* group = new QSequentialAnimationGroup(this);
    auto* slide = new QPropertyAnimation(panel, "geometry", group);
    slide->setDuration(300);
    slide->setStartValue(panel->geometry());
    slide->setEndValue(target.translated(target.width(), 0));
    slide->setEasingCurve(QEasingCurve::InCubic);
    QPointer<QWidget> guard(panel);
    connect(slide, &QAbstractAnimation::finished, panel, [guard] {
        if (guard)
            guard->hide();
    });
    auto* fade = new QVariantAnimation(group);
    fade->setDuration(100);
    fade->setStartValue(kDimOpacityMax / 100.0);
    fade->setEndValue(0.0);
    connect(fade, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setDimOpacity(value.toReal()); });
    connect(fade, &QAbstractAnimation::finished, m_dimLayer, [this] {
        if (!m_active)
            m_dimLayer->hide();
    });
    group->addAnimation(slide);
    group->addAnimation(fade);
    m_animation = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void OverlayController::relayout()
{
    if (m_active && !(m_animation && m_animation->state() == QAbstractAnimation::Running))
        m_active->setGeometry(panelRect(m_active));
    if (m_dimLayer->isVisible())
        m_dimLayer->setGeometry(areaRect());
}

void OverlayController::setDimOpacity(qreal opacity)
{
    // A translucent colour rather than a graphics effect: a widget with an
    // effect repaints its whole rectangle over the panel above it whenever
    // part of the panel repaints, darkening patches of it.
    m_dimLayer->setStyleSheet(
        QStringLiteral("QFrame#backgroundSettingsView { background: rgba(0, 0, 0, %1); }")
            .arg(qRound(qBound(0.0, opacity, 1.0) * 255)));
}

bool OverlayController::eventFilter(QObject* watched, QEvent* event)
{
    // A click on the dimmed page closes the panel over it.
    if (watched == m_dimLayer && event->type() == QEvent::MouseButtonPress && m_active) {
        hide(m_active);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
