#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;

/// The reader's busy page: a centred animation of twelve frames
/// (":/style/images/loading1.png" to "loading12.png"), one every 100 ms. The
/// timer runs only while the box is visible. GUI thread only.
class LoaderBox : public QFrame
{
    Q_OBJECT
public:
    explicit LoaderBox(QWidget* parent = nullptr);

    /// The frame shown now, 1 to 12.
    int frame() const { return m_frame; }
    bool isAnimating() const { return m_timer.isActive(); }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private slots:
    void nextFrame();

private:
    void showFrame();

    QLabel* m_label = nullptr;
    QTimer m_timer;
    int m_frame = 1;
};
