#include "BookPropertiesView.h"

#include "Application.h"
#include "BookListViewDelegate.h"
#include "BookModel.h"
#include "MessageView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

BookPropertiesView::BookPropertiesView(const QModelIndex& index, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_index(index)
{
    setObjectName("propertiesView");
    setAttribute(Qt::WA_StyledBackground);
    setModal(true);
    const QString title = index.sibling(index.row(), BookModel::ColumnTitle).data().toString();
    setWindowTitle(tr("%1 - Properties").arg(title));

    auto* outer = new QVBoxLayout(this);
    // One pixel for the dialog's own border, drawn by the style sheet.
    outer->setContentsMargins(1, 1, 1, 1);
    outer->setSpacing(0);

    auto* caption = new QLabel(windowTitle(), this);
    caption->setObjectName("propertiesViewTitle");
    caption->setTextFormat(Qt::PlainText);
    caption->setText(caption->fontMetrics().elidedText(windowTitle(), Qt::ElideMiddle, 520));
    outer->addWidget(caption);

    auto* box = new QFrame(this);
    box->setObjectName("boxBorderGray");
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(20, 18, 20, 18);
    row->setSpacing(20);

    auto* cover = new QLabel(box);
    cover->setObjectName("labelPropertiesCover");
    cover->setPixmap(BookListViewDelegate::coverPixmap(index.data(BookModel::CoverRole).toString(), title,
                                                       QSize(120, 174)));
    cover->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    cover->setFixedWidth(124);
    row->addWidget(cover, 0, Qt::AlignTop);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(8);
    grid->setColumnStretch(1, 1);
    addValue(grid, 0, tr("Title:"), title);
    addValue(grid, 1, tr("Author:"), index.sibling(index.row(), BookModel::ColumnAuthor).data().toString());
    addValue(grid, 2, tr("Format:"), index.data(BookModel::FormatNameRole).toString().toUpper());
    const QString lastOpen = index.data(BookModel::LastViewTextRole).toString();
    addValue(grid, 3, tr("Last open:"), lastOpen.isEmpty() ? QStringLiteral("\u2014") : lastOpen);

    auto* folderCaption = new QLabel(tr("Folder:"), box);
    folderCaption->setObjectName("labelPropertiesCaption");
    grid->addWidget(folderCaption, 4, 0, Qt::AlignTop | Qt::AlignLeft);
    auto* folderRow = new QHBoxLayout;
    folderRow->setSpacing(4);
    auto* openFolder = new QPushButton(box);
    openFolder->setObjectName("buttonOpenFolder");
    openFolder->setFixedSize(20, 20);
    openFolder->setCursor(Qt::PointingHandCursor);
    openFolder->setToolTip(tr("Show the file in its folder"));
    auto* link = new QPushButton(box);
    link->setObjectName("buttonURL");
    link->setCursor(Qt::PointingHandCursor);
    const QString folder = index.data(BookModel::FolderRole).toString();
    link->setText(link->fontMetrics().elidedText(folder, Qt::ElideMiddle, 330));
    link->setToolTip(index.data(BookModel::FullPathRole).toString());
    folderRow->addWidget(openFolder);
    folderRow->addWidget(link);
    folderRow->addStretch(1);
    grid->addLayout(folderRow, 4, 1);
    connect(openFolder, &QPushButton::clicked, this, &BookPropertiesView::onOpenFolder);
    connect(link, &QPushButton::clicked, this, &BookPropertiesView::onOpenFolder);

    auto* descriptionCaption = new QLabel(tr("Description:"), box);
    descriptionCaption->setObjectName("labelPropertiesCaption");
    grid->addWidget(descriptionCaption, 5, 0, Qt::AlignTop | Qt::AlignLeft);
    auto* scroll = new QScrollArea(box);
    scroll->setObjectName("scrollPropertiesDescription");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* description = new QLabel(scroll);
    description->setObjectName("labelPropertiesDescription");
    description->setTextFormat(Qt::PlainText);
    description->setWordWrap(true);
    description->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    description->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const QString text = index.data(BookModel::DescriptionRole).toString();
    description->setText(text.isEmpty() ? QStringLiteral("\u2014") : text);
    scroll->setWidget(description);
    scroll->setMinimumHeight(90);
    grid->addWidget(scroll, 5, 1);
    grid->setRowStretch(5, 1);
    row->addLayout(grid, 1);
    outer->addWidget(box, 1);

    auto* bottom = new QFrame(this);
    bottom->setObjectName("propertiesViewBottom");
    auto* buttons = new QHBoxLayout(bottom);
    buttons->setContentsMargins(20, 12, 20, 14);
    buttons->setSpacing(10);
    buttons->addStretch(1);
    auto* close = new QPushButton(tr("CLOSE"), bottom);
    close->setObjectName("buttonCancel");
    close->setFixedHeight(42);
    close->setMinimumWidth(100);
    close->setAutoDefault(false);
    auto* edit = new QPushButton(tr("Edit"), bottom);
    edit->setObjectName("buttonOk");
    edit->setFixedHeight(42);
    edit->setMinimumWidth(100);
    edit->setDefault(true);
    buttons->addWidget(close);
    buttons->addWidget(edit);
    outer->addWidget(bottom);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(edit, &QPushButton::clicked, this, &QDialog::accept);

    setFixedWidth(600);
}

QLabel* BookPropertiesView::addValue(QGridLayout* grid, int row, const QString& caption, const QString& value)
{
    auto* name = new QLabel(caption, this);
    name->setObjectName("labelPropertiesCaption");
    auto* label = new QLabel(this);
    label->setObjectName("labelPropertiesValue");
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setText(value);
    grid->addWidget(name, row, 0, Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(label, row, 1);
    return label;
}

int BookPropertiesView::bookId() const
{
    return m_index.data(BookModel::IdRole).toInt();
}

void BookPropertiesView::onOpenFolder()
{
    Application::showInExplorer(m_index.data(BookModel::FullPathRole).toString());
}

void BookPropertiesView::showEvent(QShowEvent* event)
{
    adjustSize();
    MessageView::centreOnParentWindow(this);
    QDialog::showEvent(event);
}

void BookPropertiesView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressOffset = event->globalPos() - frameGeometry().topLeft();
        m_dragging = true;
    }
    QDialog::mousePressEvent(event);
}

void BookPropertiesView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPos() - m_pressOffset);
    QDialog::mouseMoveEvent(event);
}

void BookPropertiesView::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(event);
}
