#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// A small HTTP/1.1 server on 127.0.0.1 for tests of network clients, on Qt's HTTP server. It runs
// on a thread of its own, so a client may block the test's thread while it answers. It records
// every request and answers each request target with a chosen answer; unknown targets get 404.
// Every member may be called from any thread.
class LoopbackHttpServer {
public:
    using Headers = QList<std::pair<QByteArray, QByteArray>>;

    // A request as received; its method is not kept, since the clients only ever GET.
    struct Request {
        // Path and query, encoded as QUrl encodes them.
        QByteArray target;
        // In the order received, names as written.
        Headers headers{};
        QByteArray body{};

        // The values of every header called `name`, compared without regard to case.
        QList<QByteArray> values(const QByteArray& name) const;
    };

    struct Answer {
        int status = 200;
        // Written after Content-Length (or Connection: close), in this order.
        Headers headers{};
        QByteArray body{};
        // Waited on the server's thread before answering; other connections go on meanwhile.
        int delayMilliseconds = 0;
        // Without Content-Length the body ends when the server closes the connection.
        bool announceLength = true;
        // Never answers; the connection stays open until the server goes.
        bool silent = false;
        // Written in place of an HTTP answer, after which the connection closes.
        std::optional<QByteArray> raw{};

        static Answer of(int status, QByteArray body = {});
        static Answer never();
        static Answer bytes(QByteArray raw);
        Answer withHeader(QByteArray name, QByteArray value) const;
        Answer after(int milliseconds) const;
        Answer unannounced() const;
    };

    // Called on the server's thread, one request at a time.
    using Responder = std::function<Answer(const Request&)>;

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    quint16 port() const;
    // "http://127.0.0.1:" followed by the port.
    QString origin() const;

    void answer(const QByteArray& target, const Answer& answer);
    void answer(const QByteArray& target, Responder responder);

    // Every complete request so far, in arrival order.
    QList<Request> requests() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
