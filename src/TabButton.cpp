#include "TabButton.h"

TabButton::TabButton(const QString& objectName, int index, QWidget* parent)
    : Button(objectName, parent), m_index(index)
{
    setCheckable(true);
    setAutoExclusive(true);
    connect(this, &QAbstractButton::clicked, this, [this] { emit clicked(m_index); });
}
