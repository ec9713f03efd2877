#include "support/LoopbackHttpServer.h"

#include <QAbstractHttpServer>
#include <QHash>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QMutex>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace {

// Qt's parser keeps the headers' names as written, in order, repeated ones too.
LoopbackHttpServer::Request recorded(const QHttpServerRequest& request) {
    const QUrl url = request.url();
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (url.hasQuery())
        target += "?" + url.query(QUrl::FullyEncoded).toLatin1();
    return {target, request.headers(), request.body()};
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

// Qt's server reads the requests; answers go out as raw bytes, so that a test can also send what
// no well-behaved server would.
class Server : public QAbstractHttpServer {
public:
    using Serve = std::function<void(QTcpSocket*, const LoopbackHttpServer::Request&)>;

    Server(Serve onRequest, QObject* parent)
        : QAbstractHttpServer(parent)
        , serve(std::move(onRequest)) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        serve(socket, recorded(request));
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

private:
    Serve serve;
};

} // namespace

QList<QByteArray> LoopbackHttpServer::Request::values(const QByteArray& name) const {
    QList<QByteArray> found;
    for (const auto& [headerName, value] : headers)
        if (headerName.compare(name, Qt::CaseInsensitive) == 0)
            found.append(value);
    return found;
}

LoopbackHttpServer::Answer LoopbackHttpServer::Answer::of(int status, QByteArray body) {
    return {.status = status, .body = std::move(body)};
}

LoopbackHttpServer::Answer LoopbackHttpServer::Answer::never() {
    return {.silent = true};
}

LoopbackHttpServer::Answer LoopbackHttpServer::Answer::bytes(QByteArray raw) {
    return {.raw = std::move(raw)};
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
    // Lives on `thread`; owns the server and, through it, every connection.
    QObject* context = nullptr;
    quint16 port = 0;

    mutable QMutex mutex;
    QHash<QByteArray, Responder> responders;
    QList<Request> received;

    void serve(QTcpSocket* socket, const Request& request) {
        Responder responder;
        {
            const QMutexLocker locker(&mutex);
            received.append(request);
            responder = responders.value(request.target);
        }
        const Answer answer = responder ? responder(request) : Answer::of(404);
        if (answer.silent)
            return;
        QTimer::singleShot(answer.delayMilliseconds, socket, [socket, answer] {
            socket->write(encode(answer));
            if (answer.raw || !answer.announceLength)
                socket->disconnectFromHost();
        });
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
            auto* server = new Server(
                [this](QTcpSocket* socket, const Request& request) { d->serve(socket, request); },
                d->context);
            d->port = server->listen(QHostAddress::LocalHost);
            if (d->port == 0)
                qFatal("The loopback server cannot listen");
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

QList<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const {
    const QMutexLocker locker(&d->mutex);
    return d->received;
}
