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

bool isOnByDefault(NotificationKind kind) {
    return kind != NotificationKind::useItOrLoseIt;
}

QString settingsKey(NotificationKind kind) {
    switch (kind) {
    case NotificationKind::usableAgain:
        return QStringLiteral("notifications/usableAgain");
    case NotificationKind::useItOrLoseIt:
        return QStringLiteral("notifications/useItOrLoseIt");
    case NotificationKind::nearlyUsedUp:
        break;
    }
    return QStringLiteral("notifications/nearlyUsedUp");
}

} // namespace NotificationKinds
