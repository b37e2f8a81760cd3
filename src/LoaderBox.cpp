#include "LoaderBox.h"

#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace {
constexpr int kFrameCount = 12;
constexpr int kFrameInterval = 100; // ms
} // namespace

LoaderBox::LoaderBox(QWidget* parent) : QFrame(parent)
{
    setObjectName("loaderBox");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_label = new QLabel(this);
    m_label->setObjectName("loaderImage");
    m_label->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_label, 0, Qt::AlignCenter);
    m_timer.setInterval(kFrameInterval);
    connect(&m_timer, &QTimer::timeout, this, &LoaderBox::nextFrame);
    showFrame();
}

void LoaderBox::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    m_timer.start();
}

void LoaderBox::hideEvent(QHideEvent* event)
{
    m_timer.stop();
    QFrame::hideEvent(event);
}

void LoaderBox::nextFrame()
{
    m_frame = m_frame % kFrameCount + 1;
    showFrame();
}

void LoaderBox::showFrame()
{
    m_label->setPixmap(QPixmap(QStringLiteral(":/style/images/loading%1.png").arg(m_frame)));
}
