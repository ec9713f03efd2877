#pragma once

#include "model/Account.h"
#include "store/UserSettings.h"

#include <QUrl>

#include <functional>

// What the panel asks of the world outside the store; the tray program's controller hands in the
// real ones and a test its own. An empty function makes its command do nothing.
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
    // Whether Spanwell shows in Claude Code's status line of any tracked account, and putting
    // it into every one's or taking it out.
    std::function<bool()> isInStatusLine;
    std::function<void(bool)> setInStatusLine;
    // The process's settings, which the menus' choices read and change; none in a picture,
    // whose menus are never opened.
    UserSettings* settings = nullptr;
};
