#pragma once

#include <QDialog>
#include <QPoint>

class QLabel;
class QLineEdit;
class QPushButton;
class WindowBar;

/// Asks for the password of an encrypted document. OK accepts (exec()
/// returns 1), the title bar's close button and Escape reject (0).
/// GUI thread only.
class MessagePassword : public QDialog
{
    Q_OBJECT
public:
    explicit MessagePassword(QWidget* parent = nullptr);

    /// The entered password, as typed.
    QString password() const;
    /// The explanation above the field (a default text is set).
    void setText(const QString& text);

    int exec() override;

    /// Test seam: the next exec() returns at once, accepted with this
    /// password or rejected (queued, one per prompt).
    static void setNextAnswer(bool accepted, const QString& password = QString());
    static void clearAnswers();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    WindowBar* m_windowBar = nullptr;
    QLabel* m_label = nullptr;
    QLineEdit* m_edit = nullptr;
    QPushButton* m_ok = nullptr;
    QPoint m_pressPos;
    bool m_pressed = false;
};
