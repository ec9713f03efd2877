#include "tray/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <unistd.h>

namespace {

const QByteArray showMessage = QByteArrayLiteral("show\n");
const QByteArray refreshMessage = QByteArrayLiteral("refresh\n");
const QByteArray refreshedMessage = QByteArrayLiteral("refreshed\n");
const qsizetype longestMessage = refreshMessage.size();
// A copy that has just taken the lock needs a moment before it listens.
constexpr int answerWithinMilliseconds = 3000;
constexpr int attemptMilliseconds = 250;

} // namespace

SingleInstance::SingleInstance(QString instanceName, QObject* parent)
    : QObject(parent)
    , name(std::move(instanceName)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::nameFor(const QString& home) {
    const QByteArray digest = QCryptographicHash::hash(home.toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("spanwell-%1-%2")
        .arg(::getuid())
        .arg(QString::fromLatin1(digest.toHex().left(12)));
}

QString SingleInstance::lockPath(const QString& name) {
    return QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock");
}

SingleInstance::Claim SingleInstance::claim() {
    lock = std::make_unique<QLockFile>(lockPath(name));
    // Only a lock whose holder has ended is stale, however long the holder has been running.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0) && lock->error() == QLockFile::LockFailedError) {
        lock.reset();
        return forward() ? Claim::forwarded : Claim::unreachable;
    }
    // A socket left behind by a copy that crashed would stop us from listening.
    QLocalServer::removeServer(name);
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server->nextPendingConnection())
            answer(socket);
    });
    server->listen(name);
    return Claim::first;
}

bool SingleInstance::forward() const {
    const QDeadlineTimer deadline(answerWithinMilliseconds);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(attemptMilliseconds)) {
            socket.write(showMessage);
            const bool sent = socket.waitForBytesWritten(attemptMilliseconds);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(attemptMilliseconds / 2);
    }
    return false;
}

bool SingleInstance::isHeld(const QString& name) {
    qint64 processId = 0;
    QString hostName, application;
    if (!QLockFile(lockPath(name)).getLockInfo(&processId, &hostName, &application) ||
        processId <= 0)
        return false;
    return ::kill(pid_t(processId), 0) == 0 || errno == EPERM;
}

SingleInstance::RefreshAnswer SingleInstance::askToRefresh(const QString& name,
                                                           int timeoutMilliseconds) {
    const QDeadlineTimer deadline(timeoutMilliseconds);
    // A copy that has just taken the lock needs a moment before it listens; one that is not
    // there is refreshed for by the caller, without waiting.
    QLocalSocket socket;
    const QDeadlineTimer listening(answerWithinMilliseconds);
    while (true) {
        socket.connectToServer(name);
        if (socket.waitForConnected(attemptMilliseconds))
            break;
        if (!isHeld(name))
            return RefreshAnswer::notRunning;
        if (listening.hasExpired())
            return RefreshAnswer::noAnswer;
        QThread::msleep(attemptMilliseconds / 2);
    }
    socket.write(refreshMessage);
    socket.waitForBytesWritten(attemptMilliseconds);
    while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState &&
           !deadline.hasExpired())
        socket.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 1000)));
    const bool refreshed = socket.canReadLine() && socket.readLine() == refreshedMessage;
    socket.abort();
    return refreshed ? RefreshAnswer::refreshed : RefreshAnswer::noAnswer;
}

void SingleInstance::refreshEnded(quint64 ticket) {
    const QPointer<QLocalSocket> socket = waitingForRefresh.take(ticket);
    if (!socket)
        return;
    socket->write(refreshedMessage);
    socket->disconnectFromServer();
}

void SingleInstance::answer(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto read = [this, socket] {
        if (!socket->canReadLine()) {
            // Whatever sends this much without a line end is not a run of ours.
            if (socket->bytesAvailable() > longestMessage)
                socket->abort();
            return;
        }
        const QByteArray message = socket->readLine(longestMessage + 1);
        if (message == refreshMessage) {
            // The socket stays open until the refresh has ended.
            const quint64 ticket = ++lastTicket;
            waitingForRefresh.insert(ticket, socket);
            emit refreshRequested(ticket);
            return;
        }
        if (message == showMessage)
            emit showRequested();
        socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    read();
}
