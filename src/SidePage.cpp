#include "SidePage.h"

#include <QApplication>
#include <QKeyEvent>

SidePage::SidePage(QWidget* parent) : QFrame(parent) {}

bool SidePage::keepsKey(const QKeyEvent* event)
{
    const bool functionKey = event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F35;
    const auto chord = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return !functionKey && !(event->modifiers() & chord);
}

bool SidePage::event(QEvent* event)
{
    // The reader behind the page turns pages on plain keys (Space, arrows,
    // Home, End) through window-wide shortcuts: accepting the override
    // hands such keys to the focused control here instead.
    if (event->type() == QEvent::ShortcutOverride && keepsKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QFrame::event(event);
}

bool SidePage::focusNextPrevChild(bool next)
{
    // The focus chain runs through the whole window; skip what lies behind
    // the page so Tab never lands on a control the user cannot see.
    QWidget* start = QApplication::focusWidget();
    if (!start || !(start == this || isAncestorOf(start)))
        start = this;
    QWidget* candidate = start;
    do {
        candidate = next ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (isAncestorOf(candidate) && candidate->isVisible() && candidate->isEnabled() &&
            (candidate->focusPolicy() & Qt::TabFocus)) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    } while (candidate != start);
    return false;
}

void SidePage::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        emit onHideWindow();
        return;
    }
    QFrame::keyPressEvent(event);
}
