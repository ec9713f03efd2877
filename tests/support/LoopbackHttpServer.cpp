#include "support/LoopbackHttpServer.h"

#include <QHash>
#include <QHostAddress>
#include <QMutex>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cctype>

namespace {

// One connection's unread bytes; requests on it are answered one after the other.
struct Connection {
    QByteArray buffer;
    bool answering = false;
};

// Parses one complete request from the front of `buffer` and removes it. Absent while more bytes
// are needed; sets `malformed` for bytes that are not an HTTP request.
std::optional<LoopbackHttpServer::Request> takeRequest(QByteArray& buffer, bool& malformed) {
    const qsizetype headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        malformed = !buffer.isEmpty() && !std::isupper(static_cast<unsigned char>(buffer.at(0)));
        return std::nullopt;
    }
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine.at(2).startsWith("HTTP/1.")) {
        malformed = true;
        return std::nullopt;
    }
    LoopbackHttpServer::Request request{requestLine.at(0), requestLine.at(1), {}, {}};
    for (qsizetype index = 1; index < lines.size(); ++index) {
        const qsizetype colon = lines.at(index).indexOf(':');
        if (colon > 0)
            request.headers.append(
                {lines.at(index).left(colon), lines.at(index).mid(colon + 1).trimmed()});
    }
    const QList<QByteArray> lengths = request.values("Content-Length");
    const qsizetype bodyLength =
        lengths.isEmpty() ? 0 : std::max<qsizetype>(0, lengths.first().toLongLong());
    const qsizetype bodyStart = headerEnd + 4;
    if (buffer.size() < bodyStart + bodyLength)
        return std::nullopt;
    request.body = buffer.mid(bodyStart, bodyLength);
    buffer.remove(0, bodyStart + bodyLength);
    return request;
}

QByteArray encode(const LoopbackHttpServer::Answer& answer) {
    if (answer.raw)
        return *answer.raw;
    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(answer.status) +
                       (answer.status == 200 ? " OK\r\n" : " Answer\r\n");
    bytes += answer.announceLength
                 ? "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n"
                 : QByteArray("Connection: close\r\n");
    for (const auto& [name, value] : answer.headers)
        bytes += name + ": " + value + "\r\n";
    return bytes + "\r\n" + answer.body;
}

} // namespace

QList<QByteArray> LoopbackHttpServer::Request::values(const QByteArray& name) const {
    QList<QByteArray> found;
    for (const auto& [headerName, value] : headers)
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            found.append(value);
    return found;
}

LoopbackHttpServer::Answer LoopbackHttpServer::Answer::of(int status, QByteArray body) {
    Answer answer;
    answer.status = status;
    answer.body = std::move(body);
    return answer;
}

LoopbackHttpServer::Answer LoopbackHttpServer::Answer::never() {
    Answer answer;
    answer.silent = true;
    return answer;
}

LoopbackHttpServer::Answer LoopbackHttpServer::Answer::bytes(QByteArray raw) {
    Answer answer;
    answer.raw = std::move(raw);
    return answer;
}

LoopbackHttpServer::Answer LoopbackHttpServer::Answer::withHeader(QByteArray name,
                                                                  QByteArray value) const {
    Answer answer = *this;
    answer.headers.append({std::move(name), std::move(value)});
    return answer;
}

LoopbackHttpServer::Answer LoopbackHttpServer::Answer::after(int milliseconds) const {
    Answer answer = *this;
    answer.delayMilliseconds = milliseconds;
    return answer;
}

LoopbackHttpServer::Answer LoopbackHttpServer::Answer::unannounced() const {
    Answer answer = *this;
    answer.announceLength = false;
    return answer;
}

struct LoopbackHttpServer::Private {
    QThread thread;
    // Lives on `thread`; owns the listening server and, through it, every connection.
    QObject* context = nullptr;
    quint16 port = 0;

    mutable QMutex mutex;
    QHash<QByteArray, Responder> responders;
    QList<Request> received;
    int holdUntil = 0;
    // Only touched on `thread`.
    QList<std::function<void()>> held;

    void accept(QTcpServer* server) {
        while (QTcpSocket* socket = server->nextPendingConnection()) {
            auto connection = std::make_shared<Connection>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, connection] {
                connection->buffer += socket->readAll();
                serve(socket, connection);
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

    void serve(QTcpSocket* socket, const std::shared_ptr<Connection>& connection) {
        if (connection->answering)
            return;
        bool malformed = false;
        const std::optional<Request> request = takeRequest(connection->buffer, malformed);
        if (malformed)
            socket->abort();
        if (!request)
            return;
        connection->answering = true;

        Responder responder;
        bool release = false;
        {
            const QMutexLocker locker(&mutex);
            received.append(*request);
            responder = responders.value(request->target);
            release = received.size() >= holdUntil;
        }
        const Answer answer = responder ? responder(*request) : Answer::of(404);
        if (answer.silent)
            return;

        QPointer<QTcpSocket> target(socket);
        held.append([this, target, connection, answer] {
            if (!target)
                return;
            QTimer::singleShot(answer.delayMilliseconds, target,
                               [this, target, connection, answer] {
                                   target->write(encode(answer));
                                   if (answer.raw || !answer.announceLength) {
                                       target->disconnectFromHost();
                                       return;
                                   }
                                   connection->answering = false;
                                   serve(target, connection);
                               });
        });
        if (release)
            for (const std::function<void()>& send : std::exchange(held, {}))
                send();
    }
};

LoopbackHttpServer::LoopbackHttpServer()
    : d(std::make_unique<Private>()) {
    d->thread.start();
    d->context = new QObject;
    d->context->moveToThread(&d->thread);
    QMetaObject::invokeMethod(
        d->context,
        [this] {
            auto* server = new QTcpServer(d->context);
            QObject::connect(server, &QTcpServer::newConnection, server,
                             [this, server] { d->accept(server); });
            if (!server->listen(QHostAddress::LocalHost))
                qFatal("The loopback server cannot listen: %s", qPrintable(server->errorString()));
            d->port = server->serverPort();
        },
        Qt::BlockingQueuedConnection);
}

LoopbackHttpServer::~LoopbackHttpServer() {
    QMetaObject::invokeMethod(
        d->context, [this] { qDeleteAll(d->context->children()); }, Qt::BlockingQueuedConnection);
    d->thread.quit();
    d->thread.wait();
    delete d->context;
}

quint16 LoopbackHttpServer::port() const {
    return d->port;
}

QString LoopbackHttpServer::origin() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(d->port);
}

void LoopbackHttpServer::answer(const QByteArray& target, const Answer& answer) {
    this->answer(target, [answer](const Request&) { return answer; });
}

void LoopbackHttpServer::answer(const QByteArray& target, Responder responder) {
    const QMutexLocker locker(&d->mutex);
    d->responders.insert(target, std::move(responder));
}

void LoopbackHttpServer::holdAnswersUntil(int requestCount) {
    const QMutexLocker locker(&d->mutex);
    d->holdUntil = requestCount;
}

QList<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const {
    const QMutexLocker locker(&d->mutex);
    return d->received;
}
