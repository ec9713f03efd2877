#pragma once

#include "views/PanelServices.h"

class QMenu;

// The commands that the footer's menu and the tray item's menu both offer, made from the same
// services, so that each does the same from either menu.
namespace MenuCommands {

// "Add an Account…".
void addAccount(QMenu& menu, const PanelServices& services);
// "Open at Login", with a check mark that shows the registration as it really is each time the
// menu opens and after every change.
void openAtLogin(QMenu& menu, const PanelServices& services);
// "Show in Claude Code's Status Line", with a check mark that shows the settings as they are
// each time the menu opens and after every change.
void statusLine(QMenu& menu, const PanelServices& services);
// The "Tray Icon" submenu: one choice per style, the current one marked.
void trayIcon(QMenu& menu, const PanelServices& services);
// The "Notifications" submenu: one check-box item per kind.
void notifications(QMenu& menu, const PanelServices& services);
// "Preferences…", which opens the window of every choice.
void preferences(QMenu& menu, const PanelServices& services);
// "Quit Spanwell".
void quit(QMenu& menu, const PanelServices& services);

} // namespace MenuCommands
