#include "notifications/NotificationKind.h"

namespace NotificationKinds {

QList<NotificationKind> all() {
    return {NotificationKind::nearlyUsedUp, NotificationKind::usableAgain,
            NotificationKind::useItOrLoseIt};
}

QString title(NotificationKind kind) {
    switch (kind) {
    case NotificationKind::usableAgain:
        return QStringLiteral("Account Usable Again");
    case NotificationKind::useItOrLoseIt:
        return QStringLiteral("Weekly Limit Left Unused");
    case NotificationKind::nearlyUsedUp:
        break;
    }
    return QStringLiteral("Limit Nearly Used Up");
}

const Setting<bool>& setting(NotificationKind kind) {
    switch (kind) {
    case NotificationKind::usableAgain:
        return Settings::usableAgainNotifications;
    case NotificationKind::useItOrLoseIt:
        return Settings::useItOrLoseItNotifications;
    case NotificationKind::nearlyUsedUp:
        break;
    }
    return Settings::nearlyUsedUpNotifications;
}

} // namespace NotificationKinds
