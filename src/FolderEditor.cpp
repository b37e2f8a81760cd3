#include "FolderEditor.h"

#include <QHBoxLayout>
#include <QLineEdit>

FolderEditor::FolderEditor(QWidget* parent) : QFrame(parent)
{
    setObjectName("whiteBox");
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 1, 4, 1);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("editFolderName");
    m_edit->setMaxLength(200);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    connect(m_edit, &QLineEdit::editingFinished, this, &FolderEditor::editingFinished);
}

QString FolderEditor::text() const
{
    return m_edit->text();
}

void FolderEditor::setText(const QString& text)
{
    m_edit->setText(text);
    m_edit->selectAll();
}

void FolderEditor::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    m_edit->setFocus();
}
