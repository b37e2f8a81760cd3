#include "SingleApplication.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>
#include <QWidget>
#include <unistd.h>

namespace {
// Wire format: a 4-byte big-endian length, then the UTF-8 message; the
// receiver answers one ACK byte once it has the whole message.
const char kAck = '\x06';
const quint32 kMaxMessage = 16 * 1024 * 1024;
} // namespace

SingleApplication::SingleApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(exe.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    // The user id keeps two users of one machine apart.
    m_key = QStringLiteral("lanternleaf-%1-%2").arg(QString::fromLatin1(hash)).arg(getuid());

    m_lock = std::make_unique<QLockFile>(QDir::tempPath() + "/" + m_key + ".lock");
    m_lock->setStaleLockTime(0);
    // tryLock() removes a lock whose owning process is gone, so a crash
    // leaves nothing that blocks the next start.
    if (m_lock->tryLock(0))
        becomePrimary();
}

SingleApplication::~SingleApplication()
{
    if (m_server)
        m_server->close();
    if (m_lock && m_primary)
        m_lock->unlock();
}

void SingleApplication::becomePrimary()
{
    m_primary = true;
    // A socket file left by a crashed instance would make listen() fail.
    QLocalServer::removeServer(m_key);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_key))
        qWarning("Single instance: cannot listen on %s: %s", qPrintable(m_key),
                 qPrintable(m_server->errorString()));
    connect(m_server, &QLocalServer::newConnection, this, &SingleApplication::onNewConnection);
}

bool SingleApplication::sendMessage(const QString& message, int timeoutMs)
{
    if (m_primary)
        return false;
    QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The running instance may still be starting up and not yet listening.
    for (;;) {
        socket.connectToServer(m_key);
        if (socket.waitForConnected(qMax<qint64>(1, qMin<qint64>(deadline.remainingTime(), 500))))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    const QByteArray payload = message.toUtf8();
    QByteArray frame;
    QDataStream(&frame, QIODevice::WriteOnly) << quint32(payload.size());
    frame += payload;
    socket.write(frame);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(qMax<qint64>(1, deadline.remainingTime())))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(qMax<qint64>(1, deadline.remainingTime())))
            return false;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kAck;
}

void SingleApplication::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void SingleApplication::onReadyRead(QLocalSocket* socket)
{
    if (socket->property("done").toBool() || socket->bytesAvailable() < 4)
        return;
    QByteArray head = socket->peek(4);
    quint32 length = 0;
    QDataStream(head) >> length;
    if (length > kMaxMessage) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < qint64(4 + length))
        return;
    socket->read(4);
    const QString message = QString::fromUtf8(socket->read(length));
    socket->setProperty("done", true);
    socket->write(&kAck, 1);
    socket->flush();
    emit messageReceived(message);
    if (m_activateOnMessage)
        activateWindow();
}

void SingleApplication::setActivationWindow(QWidget* window, bool activateOnMessage)
{
    m_window = window;
    m_activateOnMessage = activateOnMessage;
}

void SingleApplication::activateWindow()
{
    if (!m_window)
        return;
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
