#pragma once

#include <QFrame>

/// A frame that reports double clicks (the main window's header uses it so a
/// double click there maximises, as on a title bar).
class Frame : public QFrame
{
    Q_OBJECT
public:
    using QFrame::QFrame;

signals:
    void mouseDoubleClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};
