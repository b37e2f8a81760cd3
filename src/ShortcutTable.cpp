#include "ShortcutTable.h"

namespace {
using E = ShortcutTable;

ShortcutTable::Entry key(E::Scope scope, const QKeySequence& sequence, E::Action action)
{
    return {scope, sequence, E::NoMouse, action};
}

ShortcutTable::Entry mouse(E::Scope scope, E::Mouse gesture, E::Action action)
{
    return {scope, QKeySequence(), gesture, action};
}
} // namespace

const QVector<ShortcutTable::Entry>& ShortcutTable::entries()
{
    static const QVector<Entry> table{
        key(MainWindow, QKeySequence(Qt::Key_F11), ToggleFullScreen),
        key(MainWindow, QKeySequence(Qt::Key_Escape), LeaveFullScreen),
        key(MainWindow, QKeySequence(Qt::Key_H), Minimize),
        mouse(MainWindow, DoubleClickHeader, MaximizeOrRestore),

        key(TextViewer, QKeySequence(Qt::Key_Space), NextPage),
        key(TextViewer, QKeySequence(Qt::Key_Right), NextPage),
        key(TextViewer, QKeySequence(Qt::Key_PageDown), NextPage),
        key(TextViewer, QKeySequence(Qt::Key_Backspace), PreviousPage),
        key(TextViewer, QKeySequence(Qt::Key_Left), PreviousPage),
        key(TextViewer, QKeySequence(Qt::Key_PageUp), PreviousPage),
        key(TextViewer, QKeySequence(Qt::Key_Home), FirstPage),
        key(TextViewer, QKeySequence(Qt::Key_End), LastPage),
        mouse(TextViewer, ClickRightHalf, NextPage),
        mouse(TextViewer, ClickLeftHalf, PreviousPage),
        mouse(TextViewer, WheelTowardsYou, NextPage),
        mouse(TextViewer, WheelAwayFromYou, PreviousPage),
        mouse(TextViewer, DoubleClick, ToggleFullScreen),

        key(PageViewer, QKeySequence(Qt::Key_Right), NextPage),
        key(PageViewer, QKeySequence(QKeySequence::MoveToNextPage), NextPage),
        key(PageViewer, QKeySequence(Qt::Key_Left), PreviousPage),
        key(PageViewer, QKeySequence(QKeySequence::MoveToPreviousPage), PreviousPage),
        key(PageViewer, QKeySequence(Qt::Key_Home), FirstPage),
        key(PageViewer, QKeySequence(Qt::Key_End), LastPage),
        key(PageViewer, QKeySequence(QKeySequence::ZoomIn), ZoomIn),
        key(PageViewer, QKeySequence(Qt::CTRL | Qt::Key_Equal), ZoomIn),
        key(PageViewer, QKeySequence(QKeySequence::ZoomOut), ZoomOut),
        key(PageViewer, QKeySequence(Qt::CTRL | Qt::Key_1), OnePage),
        key(PageViewer, QKeySequence(Qt::CTRL | Qt::Key_2), TwoPages),
        key(PageViewer, QKeySequence(Qt::CTRL | Qt::Key_8), FitToPage),
        key(PageViewer, QKeySequence(Qt::CTRL | Qt::Key_9), OriginalSize),
        mouse(PageViewer, ClickRightHalf, NextPage),
        mouse(PageViewer, ClickLeftHalf, PreviousPage),
        mouse(PageViewer, CtrlWheelUp, ZoomIn),
        mouse(PageViewer, CtrlWheelDown, ZoomOut),
        mouse(PageViewer, Wheel, MovePage),
        mouse(PageViewer, Drag, MovePage),
        mouse(PageViewer, DoubleClick, ToggleFullScreen),

        key(OverlayPage, QKeySequence(Qt::Key_Escape), ClosePage),
    };
    return table;
}

QVector<ShortcutTable::Entry> ShortcutTable::entries(Scope scope)
{
    QVector<Entry> result;
    for (const Entry& entry : entries())
        if (entry.scope == scope)
            result << entry;
    return result;
}

QList<QKeySequence> ShortcutTable::keys(Scope scope)
{
    QList<QKeySequence> result;
    for (const Entry& entry : entries())
        if (entry.scope == scope && !entry.key.isEmpty())
            result << entry.key;
    return result;
}

QString ShortcutTable::scopeTitle(Scope scope)
{
    switch (scope) {
    case MainWindow:
        return tr("Main window");
    case TextViewer:
        return tr("Reading EPUB, MOBI, PRC and FB2 books");
    case PageViewer:
        return tr("Reading PDF books and comics (CBZ, CBR)");
    case OverlayPage:
        return tr("Settings and help pages");
    }
    return QString();
}

QString ShortcutTable::actionText(Action action)
{
    switch (action) {
    case NextPage:
        return tr("Next page");
    case PreviousPage:
        return tr("Previous page");
    case FirstPage:
        return tr("First page");
    case LastPage:
        return tr("Last page");
    case ZoomIn:
        return tr("Zoom in");
    case ZoomOut:
        return tr("Zoom out");
    case OnePage:
        return tr("One page at a time");
    case TwoPages:
        return tr("Two pages side by side");
    case FitToPage:
        return tr("Fit the page to the window");
    case OriginalSize:
        return tr("Original size");
    case MovePage:
        return tr("Move a page larger than the window");
    case ToggleFullScreen:
        return tr("Full screen on or off (while reading)");
    case LeaveFullScreen:
        return tr("Leave full screen");
    case Minimize:
        return tr("Minimize the window");
    case MaximizeOrRestore:
        return tr("Maximize or restore the window");
    case ClosePage:
        return tr("Close the page without saving");
    }
    return QString();
}

QString ShortcutTable::keyText(const QKeySequence& sequence)
{
    if (sequence.isEmpty())
        return QString();
    const int combined = sequence[0];
    const int code = combined & ~int(Qt::KeyboardModifierMask);
    QStringList parts;
    if (combined & Qt::ControlModifier)
        parts << tr("Ctrl");
    if (combined & Qt::AltModifier)
        parts << tr("Alt");
    if (combined & Qt::ShiftModifier)
        parts << tr("Shift");
    switch (code) {
    case Qt::Key_Space:
        parts << tr("Space");
        break;
    case Qt::Key_Right:
        parts << tr("Right arrow");
        break;
    case Qt::Key_Left:
        parts << tr("Left arrow");
        break;
    case Qt::Key_PageDown:
        parts << tr("Page Down");
        break;
    case Qt::Key_PageUp:
        parts << tr("Page Up");
        break;
    case Qt::Key_Backspace:
        parts << tr("Backspace");
        break;
    case Qt::Key_Home:
        parts << tr("Home");
        break;
    case Qt::Key_End:
        parts << tr("End");
        break;
    case Qt::Key_Escape:
        parts << tr("Esc");
        break;
    default:
        parts << QKeySequence(code).toString(QKeySequence::NativeText);
        break;
    }
    return parts.join(QLatin1Char('+'));
}

QString ShortcutTable::inputText(const Entry& entry)
{
    switch (entry.mouse) {
    case NoMouse:
        return keyText(entry.key);
    case ClickLeftHalf:
        return tr("Click on the left half of the page");
    case ClickRightHalf:
        return tr("Click on the right half of the page");
    case WheelTowardsYou:
        return tr("Mouse wheel towards you");
    case WheelAwayFromYou:
        return tr("Mouse wheel away from you");
    case DoubleClick:
        return tr("Double-click on the page");
    case CtrlWheelUp:
        return tr("Ctrl+mouse wheel away from you");
    case CtrlWheelDown:
        return tr("Ctrl+mouse wheel towards you");
    case Wheel:
        return tr("Mouse wheel");
    case Drag:
        return tr("Drag with the mouse");
    case DoubleClickHeader:
        return tr("Double-click on the title bar or the header");
    }
    return QString();
}
