#include "tray/SingleInstance.h"

#include "LogCategories.h"
#include "model/PrintableText.h"
#include "store/LockFiles.h"
#include "store/RuntimeFolder.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray showMessage = QByteArrayLiteral("show\n");
const QByteArray addAccountMessage = QByteArrayLiteral("add-account\n");
const QByteArray refreshMessage = QByteArrayLiteral("refresh\n");
const QByteArray refreshedMessage = QByteArrayLiteral("refreshed\n");
const qsizetype longestMessage = addAccountMessage.size();
// A copy that has just taken the lock needs a moment before it listens.
constexpr int answerWithinMilliseconds = 3000;
constexpr int attemptMilliseconds = 250;
// Runs of ours send their line as soon as they are connected; a connection still silent after
// this is closed.
constexpr int silentMilliseconds = 3000;
// Open at once, far more than runs of one user ever make; beyond it the oldest silent
// connection gives way, so that idle ones cannot crowd out a run that asks.
constexpr qsizetype mostConnections = 64;
// Qt closes its server for good when a connection cannot be accepted (no descriptor left, for
// one); it is looked at this often and listens again.
constexpr int listeningCheckMilliseconds = 2000;

QString lockPath(const QString& path) {
    return path + QStringLiteral(".lock");
}

bool belongsToAnother(const QString& path) {
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 &&
           status.st_uid != ::getuid();
}

} // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent)
    , path(std::move(socketPath)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::pathFor(const QString& home) {
    const QByteArray digest = QCryptographicHash::hash(home.toUtf8(), QCryptographicHash::Sha256);
    return RuntimeFolder::path() + QStringLiteral("/spanwell-") +
           QString::fromLatin1(digest.toHex().left(12));
}

QString SingleInstance::refusal(const QString& path) {
    const QString folder = QFileInfo(path).path();
    if (!RuntimeFolder::isPrivate(folder))
        return QStringLiteral("Spanwell keeps its lock and socket in %1, which is not a folder of "
                              "this user's own that only this user may open.")
            .arg(PrintableText::escaped(folder));
    for (const QString& file : {path, lockPath(path)})
        if (belongsToAnother(file))
            return QStringLiteral("%1 belongs to another user.").arg(PrintableText::escaped(file));
    return {};
}

QString SingleInstance::problem() const {
    return problemText;
}

SingleInstance::Claim SingleInstance::claim(Request request) {
    problemText = refusal(path);
    if (!problemText.isEmpty())
        return Claim::refused;
    lock = std::make_unique<QLockFile>(lockPath(path));
    // Only a lock whose holder has ended is stale, however long the holder has been running.
    lock->setStaleLockTime(0);
    if (!LockFiles::tryLock(*lock) && lock->error() == QLockFile::LockFailedError) {
        lock.reset();
        return forward(request) ? Claim::forwarded : Claim::unreachable;
    }
    server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    listen();
    keepListening = new QTimer(this);
    connect(keepListening, &QTimer::timeout, this, [this] {
        if (!server->isListening())
            listen();
    });
    keepListening->start(listeningCheckMilliseconds);
    return Claim::first;
}

void SingleInstance::listen() {
    // A socket left behind by a copy that crashed would stop us from listening.
    QLocalServer::removeServer(path);
    if (server->listen(path)) {
        problemText.clear();
        return;
    }
    problemText = server->errorString();
    qCWarning(trayLog) << "Other runs cannot reach this one, which tries again:" << problemText;
}

bool SingleInstance::forward(Request request) const {
    const QDeadlineTimer deadline(answerWithinMilliseconds);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(path);
        if (socket.waitForConnected(attemptMilliseconds)) {
            socket.write(request == Request::addAccount ? addAccountMessage : showMessage);
            const bool sent = socket.waitForBytesWritten(attemptMilliseconds);
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(attemptMilliseconds / 2);
    }
    return false;
}

SingleInstance::RefreshAnswer SingleInstance::askToRefresh(const QString& path,
                                                           int timeoutMilliseconds) {
    if (!refusal(path).isEmpty())
        return RefreshAnswer::refused;
    const QDeadlineTimer deadline(timeoutMilliseconds);
    // A copy that has just taken the lock needs a moment before it listens; one that is not
    // there is refreshed for by the caller, without waiting.
    QLocalSocket socket;
    const QDeadlineTimer listening(answerWithinMilliseconds);
    while (true) {
        socket.connectToServer(path);
        if (socket.waitForConnected(attemptMilliseconds))
            break;
        if (!LockFiles::isHeld(lockPath(path)))
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
    if (socket.canReadLine())
        return socket.readLine() == refreshedMessage ? RefreshAnswer::refreshed
                                                     : RefreshAnswer::noAnswer;
    return socket.state() == QLocalSocket::ConnectedState ? RefreshAnswer::timedOut
                                                          : RefreshAnswer::ended;
}

void SingleInstance::refreshEnded(quint64 ticket) {
    const QPointer<QLocalSocket> socket = waitingForRefresh.take(ticket);
    if (!socket)
        return;
    socket->write(refreshedMessage);
    socket->disconnectFromServer();
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        const auto isGone = [](const QPointer<QLocalSocket>& open) { return open.isNull(); };
        reading.removeIf(isGone);
        waitingForRefresh.removeIf([&isGone](auto waiting) { return isGone(waiting.value()); });
        if (reading.size() + waitingForRefresh.size() >= mostConnections) {
            QLocalSocket* givesWay = reading.isEmpty() ? socket : reading.takeFirst().data();
            givesWay->abort();
            givesWay->deleteLater();
            if (givesWay == socket)
                continue;
        }
        answer(socket);
    }
}

void SingleInstance::answer(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    reading.append(socket);
    QTimer::singleShot(silentMilliseconds, socket, [this, socket] {
        if (reading.removeOne(socket)) {
            socket->abort();
            socket->deleteLater();
        }
    });
    const auto read = [this, socket] {
        if (!socket->canReadLine()) {
            // Whatever sends this much without a line end is not a run of ours.
            if (socket->bytesAvailable() > longestMessage)
                socket->abort();
            return;
        }
        reading.removeOne(socket);
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
        else if (message == addAccountMessage)
            emit addAccountRequested();
        socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    read();
}
