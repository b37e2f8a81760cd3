#include "FolderDelegate.h"

#include "FolderEditor.h"
#include "FolderModel.h"

#include <QPainter>

FolderDelegate::FolderDelegate(QObject* parent) : QItemDelegate(parent)
{
    m_folder.load(":/style/images/library/folder.png");
    m_folderOpen.load(":/style/images/library/folderopen.png");
}

QSize FolderDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(option.rect.width(), RowHeight);
}

void FolderDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const
{
    painter->save();
    const QRect row = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected)
        painter->fillRect(row, option.palette.color(QPalette::Highlight));
    else if (option.state & QStyle::State_MouseOver)
        painter->fillRect(row, option.palette.color(QPalette::AlternateBase));

    const QPixmap& image = selected ? m_folderOpen : m_folder;
    const QSize size = image.size() / image.devicePixelRatio();
    const int left = row.left() + 14;
    painter->drawPixmap(QRect(QPoint(left, row.top() + (row.height() - size.height()) / 2), size), image);

    const QString text = QStringLiteral("%1 (%2)")
                             .arg(index.data(Qt::DisplayRole).toString())
                             .arg(index.data(FolderModel::BookCountRole).toInt());
    const QRect textRect(left + size.width() + 8, row.top(), row.right() - left - size.width() - 14,
                         row.height());
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
    painter->restore();
}

QWidget* FolderDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const
{
    auto* editor = new FolderEditor(parent);
    connect(editor, &FolderEditor::editingFinished, this, &FolderDelegate::commitAndCloseEditor);
    return editor;
}

void FolderDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    if (auto* folderEditor = qobject_cast<FolderEditor*>(editor))
        folderEditor->setText(index.data(Qt::EditRole).toString());
}

void FolderDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    if (auto* folderEditor = qobject_cast<FolderEditor*>(editor))
        model->setData(index, folderEditor->text(), Qt::EditRole);
}

void FolderDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                          const QModelIndex&) const
{
    editor->setGeometry(option.rect.adjusted(34, 1, -6, -1));
}

void FolderDelegate::commitAndCloseEditor()
{
    auto* editor = qobject_cast<FolderEditor*>(sender());
    // Return and the focus leaving afterwards both finish the editing.
    if (!editor || editor->property("closing").toBool())
        return;
    editor->setProperty("closing", true);
    emit commitData(editor);
    emit closeEditor(editor);
}
