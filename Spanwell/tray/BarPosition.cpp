#include "tray/BarPosition.h"

#include "LogCategories.h"
#include "tray/LocalSocket.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QTimer>

#include <cstring>
#include <utility>

namespace {

// sway's IPC: a magic word, the payload's length and the message's type, in the machine's order.
constexpr char magic[] = "i3-ipc";
constexpr qsizetype headerLength = 6 + 2 * sizeof(quint32);
constexpr quint32 getWorkspaces = 1;
// The panel opens without the answer after this.
constexpr int patienceMilliseconds = 300;

QRect rectangle(const QJsonObject& rect) {
    return {rect.value("x").toInt(), rect.value("y").toInt(), rect.value("width").toInt(),
            rect.value("height").toInt()};
}

// The focused workspace's area in sway's answer to GET_WORKSPACES, which is what the bars leave
// on its output, and the screen it is on, as Qt sees it on Wayland and on XWayland alike.
std::optional<PanelPlacement::Screen> focusedWorkspace(const QByteArray& json) {
    for (const QJsonValue workspace : QJsonDocument::fromJson(json).array()) {
        const QRect area = rectangle(workspace["rect"].toObject());
        const QScreen* screen = QGuiApplication::screenAt(area.center());
        if (workspace["focused"].toBool() && screen)
            return PanelPlacement::Screen{screen->geometry(), area};
    }
    return std::nullopt;
}

} // namespace

BarPosition::BarPosition(QObject* parent)
    : QObject(parent)
    , patience(new QTimer(this)) {
    patience->setSingleShot(true);
    patience->setInterval(patienceMilliseconds);
    connect(patience, &QTimer::timeout, this, [this] {
        qCWarning(trayLog) << "sway did not tell in time where its bars are";
        finish();
    });
}

void BarPosition::ask(std::function<void()> answered) {
    const QString path = qEnvironmentVariable("SWAYSOCK");
    if (path.isEmpty()) {
        answered();
        return;
    }
    waiting = std::move(answered);
    if (connection)
        return;
    QString error;
    FileDescriptor socket = LocalSocket::connectTo(path, &error);
    QByteArray request(magic, 6);
    for (const quint32 word : {quint32(0), getWorkspaces})
        request.append(reinterpret_cast<const char*>(&word), sizeof word);
    if (!socket.isOpen() || !LocalSocket::send(socket, request, QDeadlineTimer(0))) {
        qCWarning(trayLog) << "sway did not tell where its bars are:"
                           << (error.isEmpty() ? QStringLiteral("it did not listen") : error);
        finish();
        return;
    }
    reply.clear();
    patience->start();
    connection = new LocalConnection(std::move(socket), this);
    connect(connection, &LocalConnection::readyRead, this, &BarPosition::read);
    connect(connection, &LocalConnection::disconnected, this, &BarPosition::finish);
}

void BarPosition::finish() {
    patience->stop();
    if (LocalConnection* asked = std::exchange(connection, nullptr)) {
        asked->disconnect(this);
        asked->close();
        asked->deleteLater();
    }
    if (const std::function<void()> answered = std::exchange(waiting, nullptr))
        answered();
}

void BarPosition::read() {
    reply += connection->readAll();
    if (reply.size() < headerLength)
        return;
    quint32 length = 0;
    std::memcpy(&length, reply.constData() + 6, sizeof length);
    if (reply.size() < headerLength + qsizetype(length))
        return;
    if (const auto answer = focusedWorkspace(reply.mid(headerLength, length)))
        focused = answer;
    finish();
}
