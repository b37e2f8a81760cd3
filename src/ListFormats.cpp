#include "ListFormats.h"

#include "BookModel.h"
#include "Button.h"

#include <QButtonGroup>
#include <QEvent>
#include <QStyle>
#include <QVBoxLayout>

ListFormats::ListFormats(QButtonGroup* group, QWidget* parent) : QFrame(parent)
{
    setObjectName("listFormats");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_header = new Button("buttonFormats", this);
    layout->addWidget(m_header);
    connect(m_header, &Button::clicked, this, &ListFormats::buttonFormats);

    m_body = new QFrame(this);
    m_body->setObjectName("listFormatsBody");
    auto* bodyLayout = new QVBoxLayout(m_body);
    bodyLayout->setContentsMargins(28, 0, 0, 0);
    bodyLayout->setSpacing(0);
    for (int format = 0; format < FormatCount; ++format) {
        auto* button = new Button("buttonFormat", m_body);
        button->setCheckable(true);
        button->setText(BookModel::formatName(format));
        button->hide();
        bodyLayout->addWidget(button);
        group->addButton(button, IdBase + format);
        m_buttons << button;
    }
    layout->addWidget(m_body);
    m_body->hide();
    m_header->hide();
    retranslate();
}

Button* ListFormats::formatButton(int format) const
{
    return m_buttons.value(format);
}

void ListFormats::updateCounts(const QMap<int, int>& counts)
{
    m_counts = counts;
    m_header->setVisible(!counts.isEmpty());
    for (int format = 0; format < FormatCount; ++format) {
        Button* button = m_buttons.at(format);
        const auto found = counts.constFind(format);
        if (found == counts.constEnd()) {
            button->hide();
            continue;
        }
        button->setText(QStringLiteral("%1 (%2)").arg(BookModel::formatName(format)).arg(found.value()));
        button->show();
    }
}

void ListFormats::expand()
{
    m_expanded = true;
    m_body->show();
    m_header->setObjectName("buttonFormatsExpanded");
    m_header->style()->unpolish(m_header);
    m_header->style()->polish(m_header);
    m_header->update();
}

void ListFormats::collapse()
{
    m_expanded = false;
    m_body->hide();
    m_header->setObjectName("buttonFormats");
    m_header->style()->unpolish(m_header);
    m_header->style()->polish(m_header);
    m_header->update();
}

void ListFormats::reset()
{
    collapse();
}

void ListFormats::buttonFormats()
{
    if (m_expanded)
        collapse();
    else
        expand();
}

void ListFormats::retranslate()
{
    m_header->setText(tr("Formats"));
}

void ListFormats::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    QFrame::changeEvent(event);
}
