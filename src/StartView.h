#pragma once

#include <QFileInfoList>
#include <QFrame>

class QLabel;
class QPushButton;

/// The page shown while the library is empty: the logo, an invitation and a
/// large "Add book" button. Book files dropped on it are handed on.
class StartView : public QFrame
{
    Q_OBJECT
public:
    explicit StartView(QWidget* parent = nullptr);

signals:
    void addBook();
    void switchToLibrary();
    void droppedFiles(QFileInfoList files);

protected:
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void retranslate();

    QLabel* m_text = nullptr;
    QLabel* m_hint = nullptr;
    QPushButton* m_button = nullptr;
};
