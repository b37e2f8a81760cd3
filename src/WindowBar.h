#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

/// The program's own title bar, shared by the main window and its dialogs:
/// icon, caption and the minimise, maximise/restore and close buttons.
/// The bar only reports clicks; the window decides what they mean.
class WindowBar : public QFrame
{
    Q_OBJECT
public:
    explicit WindowBar(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const;

    /// Dialogs show only the caption and the close button.
    void setMinimizeVisible(bool visible);
    void setMaximizeVisible(bool visible);

    /// Switches the maximise button between "windowMaximize" and
    /// "windowMaximized" (restore) so the style sheet draws the right image.
    void setMaximized(bool maximized);
    bool isMaximized() const { return m_maximized; }

signals:
    void minimizeWindow();
    void maximizeWindow();
    void closeWindow();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QPushButton* makeButton(const QString& name, const QString& image, const QString& fallback);
    void updateMaximizeButton();

    QLabel* m_icon = nullptr;
    QLabel* m_label = nullptr;
    QPushButton* m_minimize = nullptr;
    QPushButton* m_maximize = nullptr;
    QPushButton* m_close = nullptr;
    bool m_maximized = false;
};
