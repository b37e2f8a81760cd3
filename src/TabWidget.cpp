#include "TabWidget.h"

#include "TabButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

TabWidget::TabWidget(QWidget* parent) : QFrame(parent)
{
    setObjectName("tabWidget");
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* bar = new QFrame(this);
    bar->setObjectName("tabBar");
    m_bar = new QHBoxLayout(bar);
    m_bar->setContentsMargins(0, 0, 0, 0);
    m_bar->setSpacing(0);
    auto* lead = new QLabel(bar);
    lead->setObjectName("labelTabBarHide");
    lead->setFixedWidth(2);
    auto* filler = new QLabel(bar);
    filler->setObjectName("labelTabBar");
    filler->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_bar->addWidget(lead);
    m_bar->addWidget(filler, 1);
    column->addWidget(bar);

    m_body = new QStackedWidget(this);
    m_body->setObjectName("tabBody");
    column->addWidget(m_body, 1);
}

TabButton* TabWidget::addTab(const QString& buttonName, QWidget* page)
{
    const int index = m_buttons.size();
    auto* button = new TabButton(buttonName, index, this);
    // Before the filler, after the earlier tabs.
    m_bar->insertWidget(index + 1, button);
    m_buttons << button;
    m_body->addWidget(page);
    connect(button, qOverload<int>(&TabButton::clicked), this, &TabWidget::setCurrentIndex);
    if (index == 0)
        button->setChecked(true);
    return button;
}

int TabWidget::currentIndex() const
{
    return m_body->currentIndex();
}

QWidget* TabWidget::currentPage() const
{
    return m_body->currentWidget();
}

void TabWidget::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_buttons.size())
        return;
    m_buttons.at(index)->setChecked(true);
    if (index == m_body->currentIndex())
        return;
    m_body->setCurrentIndex(index);
    emit currentIndexChanged(index);
}
