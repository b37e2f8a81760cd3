#pragma once

#include <QFrame>

class QPushButton;

/// The reader's vertical toolbar. Each button's object name carries the
/// theme ("day" for the Day and Night profiles, "sepia" otherwise), the icon
/// size ("small" 16×16 in a window, "big" 30×30 in full screen) and, for the
/// column button, the layout ("table" for one column, "column" for two); the
/// style sheet picks the images by these names, so every change of profile,
/// size or layout renames and re-polishes the buttons. GUI thread only.
class ReadToolBar : public QFrame
{
    Q_OBJECT
public:
    explicit ReadToolBar(QWidget* parent = nullptr);

    void setFullScreenHidden(bool hidden);
    void setContentsHidden(bool hidden);
    void setBookmarkHidden(bool hidden);
    void setIncreaseFontHidden(bool hidden);
    void setDecreaseFontHidden(bool hidden);
    void setZoomInHidden(bool hidden);
    void setZoomOutHidden(bool hidden);
    void setFitSizeHidden(bool hidden);
    void setOriginalHidden(bool hidden);
    void setSwitchViewHidden(bool hidden);
    void setNextProfileHidden(bool hidden);
    void setSearchHidden(bool hidden);

    /// Stores the flag and restyles.
    void setBigIcons(bool big);
    bool bigIcons() const { return m_bigIcons; }
    /// Stores the count and restyles.
    void setColumnCount(int count);
    int columnCount() const { return m_columnCount; }

public slots:
    /// Renames, re-polishes and resizes every button for the current
    /// profile, icon size and column count.
    void updateStyle();

signals:
    void fullScreen();
    void switchColumnCount();
    void addBookmark();
    void showContents();
    void increaseFont();
    void decreaseFont();
    void nextProfile();
    void mouseMoving();
    void search();
    void zoomIn();
    void zoomOut();
    void fitSize();
    void original();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private slots:
    void buttonFullScreen();
    void onSwitchColumnCount();
    void buttonAddBookmark();
    void buttonShowContents();
    void buttonIncreaseFont();
    void buttonDescreaseFont();
    void buttonNextProfile();

private:
    QPushButton* addButton(const QString& toolTip);

    QPushButton* m_fullScreen = nullptr;
    QPushButton* m_contents = nullptr;
    QPushButton* m_bookmark = nullptr;
    QPushButton* m_increaseFont = nullptr;
    QPushButton* m_decreaseFont = nullptr;
    QPushButton* m_zoomIn = nullptr;
    QPushButton* m_zoomOut = nullptr;
    QPushButton* m_fitSize = nullptr;
    QPushButton* m_original = nullptr;
    QPushButton* m_switchView = nullptr;
    QPushButton* m_nextProfile = nullptr;
    QPushButton* m_search = nullptr;

    bool m_bigIcons = false;
    int m_columnCount = 1;
};
