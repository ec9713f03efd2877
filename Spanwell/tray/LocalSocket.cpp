#include "tray/LocalSocket.h"

#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The address of `path`; false when it is too long for one.
bool addressOf(const QString& path, sockaddr_un& address) {
    const QByteArray encoded = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

FileDescriptor newSocket() {
    return FileDescriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
}

// Waits for `events` on `socket` until the deadline; false when it passed.
bool waitFor(const FileDescriptor& socket, short events, const QDeadlineTimer& deadline) {
    pollfd watched{socket.get(), events, 0};
    while (true) {
        const int ready = ::poll(&watched, 1, int(std::max<qint64>(deadline.remainingTime(), 0)));
        if (ready >= 0 || errno != EINTR)
            return ready > 0;
    }
}

} // namespace

namespace LocalSocket {

FileDescriptor connectTo(const QString& path, QString* error) {
    sockaddr_un address;
    FileDescriptor socket = newSocket();
    if (!addressOf(path, address)) {
        if (error)
            *error = QStringLiteral("The socket's name is too long.");
        return {};
    }
    int result = 0;
    do
        result =
            ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (result < 0 && errno == EINTR);
    if (result < 0) {
        if (error)
            *error = systemError();
        return {};
    }
    return socket;
}

bool send(const FileDescriptor& socket, const QByteArray& bytes, const QDeadlineTimer& deadline) {
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t count = ::send(socket.get(), bytes.constData() + sent,
                                     size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (count > 0)
            sent += count;
        else if (count < 0 && errno == EAGAIN) {
            if (!waitFor(socket, POLLOUT, deadline))
                return false;
        } else if (count == 0 || errno != EINTR)
            return false;
    }
    return true;
}

std::optional<QByteArray> readLine(const FileDescriptor& socket, qsizetype longest,
                                   const QDeadlineTimer& deadline, bool* timedOut) {
    *timedOut = false;
    QByteArray line;
    while (!line.endsWith('\n')) {
        if (line.size() >= longest)
            return std::nullopt;
        char byte = 0;
        const ssize_t count = ::recv(socket.get(), &byte, 1, 0);
        if (count == 1)
            line.append(byte);
        else if (count == 0 || (errno != EAGAIN && errno != EINTR))
            return std::nullopt;
        else if (errno == EAGAIN && !waitFor(socket, POLLIN, deadline)) {
            *timedOut = true;
            return std::nullopt;
        }
    }
    return line;
}

} // namespace LocalSocket

LocalConnection::LocalConnection(FileDescriptor connected, QObject* parent)
    : QObject(parent)
    , socket(std::move(connected)) {
    if (!socket.isOpen())
        return;
    notifier = new QSocketNotifier(socket.get(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &LocalConnection::readArrived);
}

LocalConnection::~LocalConnection() = default;

QByteArray LocalConnection::readLine(qsizetype longest) {
    const qsizetype end = buffer.indexOf('\n');
    const qsizetype length = std::min(end < 0 ? buffer.size() : end + 1, longest);
    const QByteArray line = buffer.left(length);
    buffer.remove(0, length);
    return line;
}

bool LocalConnection::write(const QByteArray& bytes) {
    return socket.isOpen() && ::send(socket.get(), bytes.constData(), size_t(bytes.size()),
                                     MSG_NOSIGNAL | MSG_DONTWAIT) == bytes.size();
}

void LocalConnection::close() {
    if (!socket.isOpen())
        return;
    // Closing may come from within the notifier's own signal.
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
    socket = FileDescriptor();
    emit disconnected();
}

void LocalConnection::readArrived() {
    char chunk[4096];
    while (socket.isOpen()) {
        const ssize_t count = ::recv(socket.get(), chunk, sizeof chunk, MSG_DONTWAIT);
        if (count > 0) {
            buffer.append(chunk, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        const bool ended = count == 0 || errno != EAGAIN;
        if (!buffer.isEmpty())
            emit readyRead();
        if (ended)
            close();
        return;
    }
}

LocalServer::LocalServer(QObject* parent)
    : QObject(parent) {}

LocalServer::~LocalServer() = default;

bool LocalServer::listen(const QString& path) {
    sockaddr_un address;
    if (!addressOf(path, address)) {
        error = QStringLiteral("The socket's name is too long.");
        return false;
    }
    FileDescriptor listening = newSocket();
    // Open to this user alone; in a folder no one else may open, so there is no moment before.
    if (!listening.isOpen() ||
        ::bind(listening.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 ||
        ::listen(listening.get(), SOMAXCONN) != 0) {
        error = systemError();
        return false;
    }
    if (notifier)
        stop({});
    socket = std::move(listening);
    error.clear();
    notifier = new QSocketNotifier(socket.get(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &LocalServer::acceptAll);
    return true;
}

void LocalServer::acceptAll() {
    while (socket.isOpen()) {
        const int accepted =
            ::accept4(socket.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (accepted >= 0) {
            emit newConnection(new LocalConnection(FileDescriptor(accepted), this));
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno != EAGAIN)
            stop(systemError());
        return;
    }
}

void LocalServer::stop(const QString& why) {
    error = why;
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
    socket = FileDescriptor();
}
