#pragma once

#include "store/UserSettings.h"

#include <QList>
#include <QString>

// The kinds of notification the user turns on or off, each in the "Notifications" menu.
enum class NotificationKind {
    // A limit has crossed the share set in the preferences (80 % unless set), or has reached
    // 100 %.
    nearlyUsedUp,
    // A blocked account can be used again.
    usableAgain,
    // A weekly limit resets soon with much of it unused.
    useItOrLoseIt,
};

namespace NotificationKinds {

// In the order the menu offers them.
QList<NotificationKind> all();
// The menu's words for it.
QString title(NotificationKind kind);
// Where the choice is kept in the user's settings, with whether it is on by default.
const Setting<bool>& setting(NotificationKind kind);

} // namespace NotificationKinds
