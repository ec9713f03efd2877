#pragma once

#include "model/Account.h"
#include "notifications/NotificationKind.h"
#include "tray/TrayIconStyle.h"

#include <QUrl>

#include <functional>

// What the panel asks of the world outside the store; the scene hands in the real ones and
// a test its own. An empty function makes its command do nothing.
struct PanelServices {
    // Opens the sign-in window to add an account.
    std::function<void()> addAccount;
    // Opens the sign-in window for that account.
    std::function<void(const Account&)> signInAgain;
    // Whether the program is registered to open at login.
    std::function<bool()> isOpenAtLogin;
    // Registers or unregisters it; a failure shows in the next `isOpenAtLogin`.
    std::function<void(bool)> setOpenAtLogin;
    // In the default browser.
    std::function<void(const QUrl&)> openAddress;
    std::function<void()> quit;
    // The tray item's style, and choosing another one.
    std::function<TrayIconStyle()> trayIconStyle;
    std::function<void(TrayIconStyle)> setTrayIconStyle;
    // Whether each kind of notification is on, and turning it on or off.
    std::function<bool(NotificationKind)> isNotifying;
    std::function<void(NotificationKind, bool)> setNotifying;
    // How often the figures are refreshed, in minutes, and from which share of a limit it is
    // announced as nearly used up; and changing either.
    std::function<int()> refreshMinutes;
    std::function<void(int)> setRefreshMinutes;
    std::function<int()> nearlyUsedUpPercent;
    std::function<void(int)> setNearlyUsedUpPercent;
};
