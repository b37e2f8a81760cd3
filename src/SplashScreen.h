#pragma once

#include <QSplashScreen>

/// The start-up splash: shows "Loading." / ".." / "..." every 500 ms while
/// the program comes up.
class SplashScreen : public QSplashScreen
{
    Q_OBJECT
public:
    explicit SplashScreen(const QPixmap& pixmap);

    /// Keeps the splash animated for the given number of seconds, letting the
    /// event loop run meanwhile.
    void loading(int seconds);

private:
    void showDots(int count);
};
