#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QList>
#include <QPoint>

class QAbstractButton;
class QFrame;
class QLabel;
class QPushButton;
class WindowBar;

/// The program's own message and confirmation box: a frameless dialog with
/// the program's title bar (caption and close button only), the message and
/// an "OK" button. Callers that ask a question add a reject-role button and
/// act only when clickedRole() is QDialogButtonBox::AcceptRole; closing the
/// box by its title bar or with Escape leaves the reject role.
///
/// exec() returns 0 when a button closed the box and 1 when the title bar or
/// Escape did; read clickedRole() rather than the result.
/// GUI thread only.
class MessageView : public QDialog
{
    Q_OBJECT
public:
    MessageView(const QString& title, const QString& text, QWidget* parent = nullptr);

    /// The same box with the smaller frame the library and settings pages use.
    /// The box is owned by parent (or by the caller when parent is null).
    static MessageView* createCompact(const QString& title, const QString& text, QWidget* parent);
    /// Shows an informing box modally and returns its clicked role.
    static int information(QWidget* parent, const QString& title, const QString& text);

    void addButton(QAbstractButton* button, QDialogButtonBox::ButtonRole role);
    /// Replaces "OK" by a single "CANCEL" button and leaves no default button
    /// (the critical boxes that only report a failure).
    void setCancelOnly();
    /// The QDialogButtonBox::ButtonRole of the button that closed the box;
    /// the reject role until a button is clicked.
    int clickedRole() const { return m_clickedRole; }

    QString title() const;
    QString text() const;

    int exec() override;

    /// Test seam: the next exec() of any box returns at once as if the
    /// button with this role had been clicked (queued, one per box).
    /// CloseAnswer closes the box by its title bar instead.
    static constexpr int CloseAnswer = -2;
    static void setNextAnswer(int role);
    static void clearAnswers();
    /// Test seam: title and text of every box run through exec().
    struct Shown
    {
        QString title;
        QString text;
    };
    static QList<Shown> shownMessages();
    static void clearShownMessages();

    /// Moves a dialog so its centre is at the centre of its parent's
    /// top-level window (not of the parent widget itself).
    static void centreOnParentWindow(QWidget* dialog);

public slots:
    void buttonClicked(QAbstractButton* button);
    void onCloseWindow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QFrame* m_frame = nullptr;
    WindowBar* m_windowBar = nullptr;
    QLabel* m_label = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QPushButton* m_ok = nullptr;
    int m_clickedRole = QDialogButtonBox::RejectRole;
    QPoint m_pressPos;
    bool m_pressed = false;
};
