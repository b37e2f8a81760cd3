#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

/// A QApplication of which one instance runs per executable. The first
/// instance holds a lock file and listens on a local socket; a later launch
/// of the same executable finds the lock taken, hands its message to the
/// first and exits. The instance key derives from the executable's absolute
/// path, so copies in different folders are separate instances. A lock or
/// socket left behind by a crashed instance does not stop the next start.
///
/// GUI thread only: messages arrive and messageReceived() is emitted there.
class SingleApplication : public QApplication
{
    Q_OBJECT
public:
    SingleApplication(int& argc, char** argv);
    ~SingleApplication() override;

    /// True when this process is the instance that receives messages.
    bool isPrimary() const { return m_primary; }
    /// The key naming the lock file and the local socket.
    QString instanceKey() const { return m_key; }

    /// Sends message to the running instance. True only when that instance
    /// acknowledged it within timeoutMs; false when this is the first
    /// instance or nobody answered.
    bool sendMessage(const QString& message, int timeoutMs = 5000);

    /// The window restored, raised and activated when a message arrives
    /// (when activateOnMessage is true).
    void setActivationWindow(QWidget* window, bool activateOnMessage = true);
    QWidget* activationWindow() const { return m_window; }

public slots:
    void activateWindow();

signals:
    void messageReceived(const QString& message);

private:
    void becomePrimary();
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    QString m_key;
    bool m_primary = false;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    QPointer<QWidget> m_window;
    bool m_activateOnMessage = false;
};
