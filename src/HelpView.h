#pragma once

#include "SidePage.h"

class QLabel;
class QPushButton;
class QTextBrowser;
class QUrl;

/// The program's own help, slid in by the main window like the settings
/// page: what the program does, the formats it reads, every keyboard and
/// mouse shortcut (from ShortcutTable), where its files live, and the
/// version. Works offline; the text follows the interface language.
/// Escape, the close button and the back button ask the main window to hide
/// the page through onHideWindow(). GUI thread only.
class HelpView : public SidePage
{
    Q_OBJECT
public:
    explicit HelpView(QWidget* parent = nullptr);

    /// The whole page as HTML in the current language.
    static QString html();

public slots:
    void cancel();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void onAnchorClicked(const QUrl& url);

private:
    void retranslate();

    QLabel* m_title = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_close = nullptr;
    QTextBrowser* m_browser = nullptr;
};
