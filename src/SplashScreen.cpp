#include "SplashScreen.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

SplashScreen::SplashScreen(const QPixmap& pixmap) : QSplashScreen(pixmap)
{
    setObjectName("splashScreen");
}

void SplashScreen::showDots(int count)
{
    showMessage(tr("Loading%1").arg(QString(count, QLatin1Char('.'))), Qt::AlignHCenter | Qt::AlignBottom,
                Qt::white);
}

void SplashScreen::loading(int seconds)
{
    // Start-up's one place that spins the event loop by hand: nothing else
    // exists yet that could be re-entered.
    QElapsedTimer total;
    total.start();
    int dots = 0;
    qint64 nextTick = 0;
    while (total.elapsed() < seconds * 1000) {
        if (total.elapsed() >= nextTick) {
            showDots(dots % 3 + 1);
            ++dots;
            nextTick += 500;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}
