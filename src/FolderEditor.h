#pragma once

#include <QFrame>

class QLineEdit;

/// The in-place editor of a custom category's name: a white box around a
/// line edit. Gives the focus on to the line edit.
class FolderEditor : public QFrame
{
    Q_OBJECT
public:
    explicit FolderEditor(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    QLineEdit* lineEdit() const { return m_edit; }

signals:
    void editingFinished();

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    QLineEdit* m_edit;
};
