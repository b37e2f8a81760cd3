#pragma once

#include <QFrame>
#include <QList>

class QHBoxLayout;
class QStackedWidget;
class TabButton;

/// A row of tab buttons over a stack of pages ("tabWidget"): the bar holds
/// the buttons, a short lead "labelTabBarHide" and a filler "labelTabBar"
/// that carries the bar's bottom line; the body shows the page of the
/// checked tab. GUI thread only.
class TabWidget : public QFrame
{
    Q_OBJECT
public:
    explicit TabWidget(QWidget* parent = nullptr);

    /// Adds a page with a tab button named `buttonName`; returns the button
    /// (its text is the caller's, so it can follow language changes).
    TabButton* addTab(const QString& buttonName, QWidget* page);
    int currentIndex() const;
    QWidget* currentPage() const;
    int count() const { return m_buttons.size(); }
    TabButton* button(int index) const { return m_buttons.value(index); }

public slots:
    void setCurrentIndex(int index);

signals:
    void currentIndexChanged(int index);

private:
    QHBoxLayout* m_bar = nullptr;
    QStackedWidget* m_body = nullptr;
    QList<TabButton*> m_buttons;
};
