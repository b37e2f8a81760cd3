#include "MainView.h"

#include "Logger.h"

#include <QFileInfo>
#include <QLabel>
#include <QVariant>
#include <QVBoxLayout>

MainView::MainView(QWidget* parent) : QFrame(parent)
{
    setObjectName("mainView");
    setWindowTitle(QStringLiteral("Lanternleaf"));
    setMinimumSize(940, 640);
    setProperty("theStartView", true);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(tr("Add book to your library to start reading"), this);
    label->setObjectName("labelStartView");
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label);
}

void MainView::handleMessage(const QString& message)
{
    logDebug(QStringLiteral("main_view msg:%1").arg(message));
    if (message.isEmpty())
        return;
    m_lastFiles.clear();
    const QStringList parts = message.split(QLatin1Char('|'), Qt::KeepEmptyParts);
    for (const QString& part : parts) {
        if (!part.isEmpty() && QFileInfo::exists(part))
            m_lastFiles << part;
    }
}
