#pragma once

#include <QFrame>
#include <QString>

/// The program's one top-level window. For now a plain frame that receives
/// the command line and second-launch messages.
class MainView : public QFrame
{
    Q_OBJECT
public:
    explicit MainView(QWidget* parent = nullptr);

    /// The parts of the last message that named existing files or folders.
    QStringList lastMessageFiles() const { return m_lastFiles; }

public slots:
    /// A message of "|"-terminated arguments, from the own command line or a
    /// second launch.
    void handleMessage(const QString& message);

private:
    QStringList m_lastFiles;
};
