#pragma once

#include <QCoreApplication>
#include <QKeySequence>
#include <QString>
#include <QVector>

/// Every keyboard and mouse shortcut of the main window and the reader,
/// listed once. The help page shows this table; the tests send its keys to
/// the real views and compare it with the shortcuts they register, so a
/// shortcut added to a view without a line here (or the other way round)
/// fails a test. GUI thread only (texts are translated).
class ShortcutTable
{
    Q_DECLARE_TR_FUNCTIONS(ShortcutTable)

public:
    /// Where a shortcut works.
    enum Scope
    {
        MainWindow, ///< anywhere in the main window
        TextViewer, ///< reading EPUB, MOBI, PRC, FB2
        PageViewer, ///< reading PDF, CBZ, CBR (both page viewers)
        OverlayPage ///< the settings and help pages
    };

    enum Action
    {
        NextPage,
        PreviousPage,
        FirstPage,
        LastPage,
        ZoomIn,
        ZoomOut,
        OnePage,
        TwoPages,
        FitToPage,
        OriginalSize,
        MovePage,
        ToggleFullScreen,
        LeaveFullScreen,
        Minimize,
        MaximizeOrRestore,
        ClosePage
    };

    enum Mouse
    {
        NoMouse,
        ClickLeftHalf,
        ClickRightHalf,
        WheelTowardsYou,
        WheelAwayFromYou,
        DoubleClick,
        CtrlWheelUp,
        CtrlWheelDown,
        Wheel,
        Drag,
        DoubleClickHeader
    };

    struct Entry
    {
        Scope scope;
        QKeySequence key; ///< empty for a mouse gesture
        Mouse mouse;      ///< NoMouse for a key
        Action action;
    };

    static const QVector<Entry>& entries();
    static QVector<Entry> entries(Scope scope);
    /// The keys of one scope (mouse gestures left out).
    static QList<QKeySequence> keys(Scope scope);

    static QString scopeTitle(Scope scope);
    static QString actionText(Action action);
    /// The key as printed on keyboards ("Ctrl++", "Page Down") or the mouse
    /// gesture, translated.
    static QString inputText(const Entry& entry);
    static QString keyText(const QKeySequence& key);
};
