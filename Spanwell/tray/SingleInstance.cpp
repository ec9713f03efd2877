#include "tray/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace {

const QByteArray showMessage = QByteArrayLiteral("show\n");
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

SingleInstance::Claim SingleInstance::claim() {
    lock = std::make_unique<QLockFile>(QDir::tempPath() + QLatin1Char('/') + name +
                                       QStringLiteral(".lock"));
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

void SingleInstance::answer(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto read = [this, socket] {
        if (!socket->canReadLine()) {
            // Whatever sends this much without a line end is not a later start of ours.
            if (socket->bytesAvailable() > showMessage.size())
                socket->abort();
            return;
        }
        if (socket->readLine(showMessage.size() + 1) == showMessage)
            emit showRequested();
        socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    read();
}
