#include "tray/TrayWatch.h"

#include "LogCategories.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSystemTrayIcon>

#if defined(Q_OS_LINUX)
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <xcb/xcb.h>
#endif

namespace {

#if defined(Q_OS_LINUX)
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");
// A bus that does not answer within this is taken as one without a host, until it says so.
constexpr int busAnswerMilliseconds = 2000;

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return found;
}
#endif

} // namespace

// The X side: the tray manager holds the selection _NET_SYSTEM_TRAY_S0 and announces itself
// with a MANAGER message to the root window, which Qt already listens to.
struct TrayWatch::X11 {
#if defined(Q_OS_LINUX)
    xcb_connection_t* connection = nullptr;
    xcb_atom_t traySelection = XCB_ATOM_NONE;
    xcb_atom_t manager = XCB_ATOM_NONE;

    bool hasTray() const {
        const xcb_get_selection_owner_cookie_t cookie =
            xcb_get_selection_owner(connection, traySelection);
        xcb_get_selection_owner_reply_t* reply =
            xcb_get_selection_owner_reply(connection, cookie, nullptr);
        const bool owned = reply && reply->owner != XCB_NONE;
        free(reply);
        return owned;
    }
#endif
};

TrayWatch::TrayWatch(QObject* parent)
    : QObject(parent) {}

TrayWatch::~TrayWatch() {
    if (x11)
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void TrayWatch::start() {
#if defined(Q_OS_LINUX)
    watching = true;
    auto* native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    // Other platforms may offer the interface without a connection of their own.
    if (native && native->connection()) {
        x11 = std::make_unique<X11>();
        x11->connection = native->connection();
        x11->traySelection = atom(x11->connection, "_NET_SYSTEM_TRAY_S0");
        x11->manager = atom(x11->connection, "MANAGER");
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    // The bus is asked even when the X server has a tray: with a host there too, Qt makes the
    // item one of the bus's.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return answered(false);
    auto* services = new QDBusServiceWatcher(watcherService, bus,
                                             QDBusServiceWatcher::WatchForRegistration, this);
    connect(services, &QDBusServiceWatcher::serviceRegistered, this, &TrayWatch::askBus);
    bus.connect(watcherService, watcherPath, watcherService,
                QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
    askBus();
#else
    if (QSystemTrayIcon::isSystemTrayAvailable())
        emit found();
    else
        emit absent();
#endif
}

void TrayWatch::hostRegistered() {
    if (watching)
        answered(true);
    else
        lookForItem();
}

bool TrayWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
#if defined(Q_OS_LINUX)
    if (!watching || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    if (client->type == x11->manager && client->data.data32[1] == x11->traySelection)
        // Handled once this event is done with, so that Qt sees it first.
        QMetaObject::invokeMethod(
            this, [this] { settle(true); }, Qt::QueuedConnection);
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

void TrayWatch::askBus() {
#if defined(Q_OS_LINUX)
    QDBusMessage question = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    question << watcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    // Asking must not start a watcher the desktop did not start itself.
    question.setAutoStartService(false);
    auto* call = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(question, busAnswerMilliseconds), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *done;
        if (reply.isError())
            qCDebug(trayLog) << "no StatusNotifierItem host:" << reply.error().message();
        answered(!reply.isError() && reply.value().variant().toBool());
    });
#endif
}

void TrayWatch::lookForItem() {
#if defined(Q_OS_LINUX)
    const QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage question = QDBusMessage::createMethodCall(
        watcherService, watcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    question << watcherService << QStringLiteral("RegisteredStatusNotifierItems");
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(question, busAnswerMilliseconds), this);
    connect(
        call, &QDBusPendingCallWatcher::finished, this, [this, bus](QDBusPendingCallWatcher* done) {
            done->deleteLater();
            const QDBusPendingReply<QDBusVariant> reply = *done;
            if (reply.isError())
                return;
            // Each item as its bus name, alone or followed by its object path; the bus tells
            // whose process each name is.
            const QStringList items = reply.value().variant().toStringList();
            if (items.isEmpty())
                return emit itemMissing();
            auto unanswered = std::make_shared<qsizetype>(items.size());
            auto ours = std::make_shared<bool>(false);
            for (const QString& item : items) {
                QDBusMessage owner = QDBusMessage::createMethodCall(
                    QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                    QStringLiteral("org.freedesktop.DBus"),
                    QStringLiteral("GetConnectionUnixProcessID"));
                owner << item.section(QLatin1Char('/'), 0, 0);
                auto* asked =
                    new QDBusPendingCallWatcher(bus.asyncCall(owner, busAnswerMilliseconds), this);
                connect(asked, &QDBusPendingCallWatcher::finished, this,
                        [this, unanswered, ours](QDBusPendingCallWatcher* answer) {
                            answer->deleteLater();
                            const QDBusPendingReply<uint> process = *answer;
                            if (!process.isError() &&
                                process.value() == QCoreApplication::applicationPid())
                                *ours = true;
                            if (--*unanswered == 0 && !*ours)
                                emit itemMissing();
                        });
            }
        });
#endif
}

void TrayWatch::answered(bool hostIsThere) {
    if (!watching)
        return;
    hostOnBus = hostIsThere;
    settle(hostIsThere || (x11 && x11->hasTray()));
}

void TrayWatch::settle(bool trayIsThere) {
    if (!watching)
        return;
    if (trayIsThere) {
        watching = false;
        emit found();
    } else if (!absentTold) {
        absentTold = true;
        emit absent();
    }
}
