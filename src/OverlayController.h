#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

class QAbstractAnimation;
class QFrame;
class QWidget;

/// Slides side panels in over a part of a window and dims what lies under
/// them: a dimming layer ("backgroundSettingsView") fades in, then the panel
/// slides in from the right edge of the area; hiding runs the reverse. One
/// panel is shown at a time (showing another hides the first); a click on the
/// dimmed area closes the panel. Panels are children of the host and are not
/// owned here. GUI thread only.
class OverlayController : public QObject
{
    Q_OBJECT
public:
    /// `host`: the window the panels are children of; `area`: the widget
    /// (inside host) that the panels cover.
    OverlayController(QWidget* host, QWidget* area);

    /// Places, shows and raises `panel`, fades the dimming in and slides the
    /// panel into place; the panel gets the focus when it is there.
    void show(QWidget* panel);
    /// Slides `panel` out and hides it; nothing when it is not visible.
    void hide(QWidget* panel);
    /// The panel shown (or sliding in), null when none.
    QWidget* active() const { return m_active; }
    QFrame* dimLayer() const { return m_dimLayer; }
    /// Where `panel` rests when shown: at the right edge of the area, as wide
    /// as it asks to be, never wider than the area.
    QRect panelRect(QWidget* panel) const;
    /// Follows a resize of the host.
    void relayout();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect areaRect() const;
    void setDimOpacity(qreal opacity);

    QWidget* m_host = nullptr;
    QWidget* m_area = nullptr;
    QFrame* m_dimLayer = nullptr;
    QPointer<QWidget> m_active;
    QPointer<QAbstractAnimation> m_animation;
};
