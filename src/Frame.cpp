#include "Frame.h"

#include <QMouseEvent>

void Frame::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit mouseDoubleClick();
    QFrame::mouseDoubleClickEvent(event);
}
