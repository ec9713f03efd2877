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
// with a MANAGER message to the root window, which Qt already listens to; its window's end,
// which the watch asks to be told of, ends the tray.
struct TrayWatch::X11 {
#if defined(Q_OS_LINUX)
    xcb_connection_t* connection = nullptr;
    xcb_atom_t traySelection = XCB_ATOM_NONE;
    xcb_atom_t manager = XCB_ATOM_NONE;
    xcb_window_t watched = XCB_NONE;

    xcb_window_t owner() const {
        const xcb_get_selection_owner_cookie_t cookie =
            xcb_get_selection_owner(connection, traySelection);
        xcb_get_selection_owner_reply_t* reply =
            xcb_get_selection_owner_reply(connection, cookie, nullptr);
        const xcb_window_t found = reply ? reply->owner : xcb_window_t(XCB_NONE);
        free(reply);
        return found;
    }

    // Whether a tray manager is there; its window's end is then told as an event.
    bool hasTray() {
        const xcb_window_t found = owner();
        if (found != XCB_NONE && found != watched) {
            const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            // A window gone meanwhile is no error worth a word: the next look finds none.
            free(xcb_request_check(connection, xcb_change_window_attributes_checked(
                                                   connection, found, XCB_CW_EVENT_MASK, &events)));
            watched = found;
        }
        return found != XCB_NONE;
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
        return update();
    auto* services = new QDBusServiceWatcher(watcherService, bus,
                                             QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(services, &QDBusServiceWatcher::serviceOwnerChanged, this, &TrayWatch::askBus);
    bus.connect(watcherService, watcherPath, watcherService,
                QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
    bus.connect(watcherService, watcherPath, watcherService,
                QStringLiteral("StatusNotifierHostUnregistered"), this, SLOT(askBus()));
    askBus();
#else
    hostOnBus = QSystemTrayIcon::isSystemTrayAvailable();
    update();
#endif
}

void TrayWatch::hostRegistered() {
    const bool itemMade = kind == Kind::bus;
    hostOnBus = true;
    update();
    if (itemMade)
        lookForItem();
}

bool TrayWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
#if defined(Q_OS_LINUX)
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const uint8_t type = event->response_type & ~0x80;
    const auto* client = static_cast<const xcb_client_message_event_t*>(message);
    const bool trayCame = type == XCB_CLIENT_MESSAGE && client->type == x11->manager &&
                          client->data.data32[1] == x11->traySelection;
    const bool trayWent =
        type == XCB_DESTROY_NOTIFY &&
        static_cast<const xcb_destroy_notify_event_t*>(message)->window == x11->watched;
    if (trayCame || trayWent)
        // Handled once this event is done with, so that Qt sees it first.
        QMetaObject::invokeMethod(this, &TrayWatch::update, Qt::QueuedConnection);
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
        hostOnBus = !reply.isError() && reply.value().variant().toBool();
        update();
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

void TrayWatch::update() {
    const bool onX = x11 && x11->hasTray();
    if (kind == Kind::none) {
        if (hostOnBus || onX) {
            kind = hostOnBus ? Kind::bus : Kind::x11;
            emit found();
        } else if (!absentTold) {
            absentTold = true;
            emit absent();
        }
        return;
    }
    const bool ours = kind == Kind::bus ? hostOnBus : onX;
    const bool other = kind == Kind::bus ? onX : hostOnBus;
    const State next = ours ? State::there : other ? State::otherKindOnly : State::lost;
    if (next == state)
        return;
    state = next;
    switch (state) {
    case State::there:
        emit back();
        break;
    case State::lost:
        emit lost();
        break;
    case State::otherKindOnly:
        emit otherKindOnly();
        break;
    }
}
