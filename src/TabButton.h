#pragma once

#include "Button.h"

/// One tab of a TabWidget: a checkable Button that also reports its index
/// when clicked.
class TabButton : public Button
{
    Q_OBJECT
public:
    TabButton(const QString& objectName, int index, QWidget* parent = nullptr);
    int index() const { return m_index; }

signals:
    void clicked(int index);

private:
    int m_index = 0;
};
