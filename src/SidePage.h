#pragma once

#include <QFrame>

class QKeyEvent;

/// A page the main window slides over the reader (settings, help). While it
/// is up it owns the keyboard: plain keys go to its controls instead of the
/// window's page-turning shortcuts, Tab cycles through its own controls only,
/// and Escape asks to close it through onHideWindow(). GUI thread only.
class SidePage : public QFrame
{
    Q_OBJECT
public:
    explicit SidePage(QWidget* parent = nullptr);

    /// Whether the page keeps this key from the window's shortcuts: every
    /// key without Ctrl, Alt or Meta except the function keys (F11 still
    /// leaves full screen, Ctrl+ shortcuts still work).
    static bool keepsKey(const QKeyEvent* event);

signals:
    /// The page is done; the main window hides it.
    void onHideWindow();

protected:
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent* event) override;
};
