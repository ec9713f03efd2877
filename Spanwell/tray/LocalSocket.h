#pragma once

#include "process/FileDescriptor.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <optional>
#include <utility>

class QSocketNotifier;

// Unix domain sockets of our own, on the descriptors and Qt's socket notifiers alone. Qt's local
// sockets are part of Qt Network, whose library (with the Kerberos and proxy libraries it
// brings) would cost the tray program, which runs all day, more than a megabyte for a few lines
// a day. Messages here are short lines; what a connection is sent is written at once or not at
// all, and never raises SIGPIPE.
namespace LocalSocket {

// A connected socket to the one at `path`; closed when there is none to connect to. A Unix
// socket connects at once or not at all, so this never waits.
FileDescriptor connectTo(const QString& path, QString* error = nullptr);
// Sends all of `bytes` before the deadline; false when the other end is gone or full.
bool send(const FileDescriptor& socket, const QByteArray& bytes, const QDeadlineTimer& deadline);
// The first line the other end sends (with its line end), at most `longest` bytes long; absent
// when it closed, sent something longer, or the deadline passed (`timedOut` then set).
std::optional<QByteArray> readLine(const FileDescriptor& socket, qsizetype longest,
                                   const QDeadlineTimer& deadline, bool* timedOut);

} // namespace LocalSocket

// One connection, read as it comes on the thread that made it.
class LocalConnection : public QObject {
    Q_OBJECT

public:
    LocalConnection(FileDescriptor socket, QObject* parent = nullptr);
    ~LocalConnection() override;

    // What has arrived and was not taken yet.
    const QByteArray& received() const { return buffer; }
    bool canReadLine() const { return buffer.contains('\n'); }
    // The first line, or the first `longest` bytes when it is longer.
    QByteArray readLine(qsizetype longest);
    // Everything that has arrived.
    QByteArray readAll() { return std::exchange(buffer, {}); }
    // False when it could not be sent whole at once.
    bool write(const QByteArray& bytes);
    // Ends the connection; `disconnected` follows once.
    void close();

signals:
    void readyRead();
    void disconnected();

private:
    void readArrived();

    FileDescriptor socket;
    QSocketNotifier* notifier = nullptr;
    QByteArray buffer;
};

// A listening socket, open to this user alone; each connection arrives as a `LocalConnection`
// of the server's own.
class LocalServer : public QObject {
    Q_OBJECT

public:
    explicit LocalServer(QObject* parent = nullptr);
    ~LocalServer() override;

    // Listens at `path`, which must not exist; false with `errorString` set when it cannot.
    bool listen(const QString& path);
    // False after a failed `listen`, and after a connection could not be accepted (no descriptor
    // left, for one): then it stops listening rather than being woken again and again.
    bool isListening() const { return socket.isOpen(); }
    QString errorString() const { return error; }

signals:
    void newConnection(LocalConnection* connection);

private:
    void acceptAll();
    void stop(const QString& why);

    FileDescriptor socket;
    QSocketNotifier* notifier = nullptr;
    QString error;
};
