#include "tray/SingleInstance.h"

#include "LogCategories.h"
#include "model/PrintableText.h"
#include "store/LockFiles.h"
#include "store/RuntimeFolder.h"
#include "tray/LocalSocket.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFileInfo>
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
// The server stops when a connection cannot be accepted (no descriptor left, for one); it is
// looked at this often and listens again.
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
    server = new LocalServer(this);
    connect(server, &LocalServer::newConnection, this, &SingleInstance::accept);
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
    QFile::remove(path);
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
        const FileDescriptor socket = LocalSocket::connectTo(path);
        if (socket.isOpen())
            return LocalSocket::send(
                socket, request == Request::addAccount ? addAccountMessage : showMessage,
                QDeadlineTimer(attemptMilliseconds));
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
    FileDescriptor socket;
    const QDeadlineTimer listening(answerWithinMilliseconds);
    while (true) {
        socket = LocalSocket::connectTo(path);
        if (socket.isOpen())
            break;
        if (!LockFiles::isHeld(lockPath(path)))
            return RefreshAnswer::notRunning;
        if (listening.hasExpired())
            return RefreshAnswer::noAnswer;
        QThread::msleep(attemptMilliseconds / 2);
    }
    if (!LocalSocket::send(socket, refreshMessage, QDeadlineTimer(attemptMilliseconds)))
        return RefreshAnswer::noAnswer;
    bool timedOut = false;
    const std::optional<QByteArray> line =
        LocalSocket::readLine(socket, longestMessage, deadline, &timedOut);
    if (line)
        return *line == refreshedMessage ? RefreshAnswer::refreshed : RefreshAnswer::noAnswer;
    return timedOut ? RefreshAnswer::timedOut : RefreshAnswer::ended;
}

void SingleInstance::refreshEnded(quint64 ticket) {
    const QPointer<LocalConnection> connection = waitingForRefresh.take(ticket);
    if (!connection)
        return;
    connection->write(refreshedMessage);
    connection->close();
}

void SingleInstance::accept(LocalConnection* connection) {
    const auto isGone = [](const QPointer<LocalConnection>& open) { return open.isNull(); };
    reading.removeIf(isGone);
    waitingForRefresh.removeIf([&isGone](auto waiting) { return isGone(waiting.value()); });
    connect(connection, &LocalConnection::disconnected, connection, &QObject::deleteLater);
    if (reading.size() + waitingForRefresh.size() >= mostConnections) {
        LocalConnection* givesWay = reading.isEmpty() ? connection : reading.takeFirst().data();
        givesWay->close();
        if (givesWay == connection)
            return;
    }
    reading.append(connection);
    QTimer::singleShot(silentMilliseconds, connection, [this, connection] {
        if (reading.removeOne(connection))
            connection->close();
    });
    const auto read = [this, connection] {
        if (!connection->canReadLine()) {
            // Whatever sends this much without a line end is not a run of ours.
            if (connection->received().size() > longestMessage)
                connection->close();
            return;
        }
        reading.removeOne(connection);
        const QByteArray message = connection->readLine(longestMessage + 1);
        if (message == refreshMessage) {
            // The connection stays open until the refresh has ended.
            const quint64 ticket = ++lastTicket;
            waitingForRefresh.insert(ticket, connection);
            emit refreshRequested(ticket);
            return;
        }
        if (message == showMessage)
            emit showRequested();
        else if (message == addAccountMessage)
            emit addAccountRequested();
        connection->close();
    };
    connect(connection, &LocalConnection::readyRead, this, read);
}
