#include "notifications/DesktopNotifications.h"

#include "LogCategories.h"

#if defined(Q_OS_LINUX)
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

namespace {

#if defined(Q_OS_LINUX)
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
// A service that has not answered by then is taken as none, and the fallback shows the message.
constexpr int answerMilliseconds = 5000;

// Notification services read the body, and many the summary too, as markup: an e-mail address
// or a limit's title from outside could otherwise make a link or change the text around it.
QString markupEscaped(QString text) {
    return text.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"));
}
#endif

} // namespace

DesktopNotifications::DesktopNotifications(Fallback fallbackSender, const QString& busAddress,
                                           QObject* parent)
    : QObject(parent)
    , fallback(std::move(fallbackSender)) {
#if defined(Q_OS_LINUX)
    const QDBusConnection bus =
        busAddress.isEmpty()
            ? QDBusConnection::sessionBus()
            : QDBusConnection::connectToBus(
                  busAddress, QStringLiteral("spanwell-notifications-%1").arg(quintptr(this)));
    connectionName = bus.name();
    ownConnection = !busAddress.isEmpty();
    QDBusConnection(bus).connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                                 SLOT(actionInvoked(uint, QString)));
    QDBusConnection(bus).connect(service, path, interface, QStringLiteral("NotificationClosed"),
                                 this, SLOT(closed(uint, uint)));
#else
    Q_UNUSED(busAddress)
#endif
}

DesktopNotifications::~DesktopNotifications() {
#if defined(Q_OS_LINUX)
    if (ownConnection)
        QDBusConnection::disconnectFromBus(connectionName);
#endif
}

void DesktopNotifications::send(const Announcement& announcement) {
#if defined(Q_OS_LINUX)
    QDBusConnection bus(connectionName);
    if (!bus.isConnected()) {
        fallback(announcement);
        return;
    }
    const Notification& notification = announcement.notification;
    const bool usedUp = announcement.moment == Announcement::Moment::usedUp;
    const auto limit = qMakePair(announcement.account, announcement.limit);
    const bool aboutLimit = usedUp || announcement.moment == Announcement::Moment::nearlyUsedUp;
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("spanwell")}};
    if (usedUp)
        hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(2)));
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    // The "default" action is what clicking the notification itself does.
    call << QStringLiteral("Spanwell") << (usedUp ? limitNotices.value(limit) : uint(0))
         << QStringLiteral("spanwell") << markupEscaped(notification.summary)
         << markupEscaped(notification.body)
         << QStringList{QStringLiteral("default"), QStringLiteral("Show Panel")} << hints
         << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, answerMilliseconds), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, announcement, limit, aboutLimit](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusPendingReply<uint> reply = *answered;
                if (reply.isError()) {
                    qCInfo(notificationsLog)
                        << "No notification service answered:" << reply.error().message();
                    fallback(announcement);
                    return;
                }
                shown.insert(reply.value(), announcement.account);
                if (aboutLimit)
                    limitNotices.insert(limit, reply.value());
            });
#else
    fallback(announcement);
#endif
}

void DesktopNotifications::actionInvoked(uint id, const QString&) {
    if (const auto found = shown.constFind(id); found != shown.constEnd())
        emit opened(*found);
}

void DesktopNotifications::closed(uint id, uint) {
    shown.remove(id);
    limitNotices.removeIf([id](const auto& notice) { return notice.value() == id; });
}
