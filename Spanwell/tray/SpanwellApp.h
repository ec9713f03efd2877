#pragma once

#include "notifications/Announcement.h"
#include "tray/TrayIconStyle.h"
#include "views/PanelServices.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSystemTrayIcon>

#include <memory>

class DesktopNotifications;
class NotificationCenter;
class TrayIcon;
class PanelView;
class QMenu;
class QTimer;
class Store;
class TrayWatch;

// The tray program: the one store for the life of the process, the tray item with its label
// and menu, and the panel that opens from the item as a popup beside it. Until the desktop
// offers a tray the panel is an ordinary window instead, so the program is never out of sight;
// once a tray turns up, the item takes over and the window goes. Notifications go to the
// desktop's notification service, or else appear as the tray item's own message; choosing one
// opens the panel.
class SpanwellApp : public QObject {
    Q_OBJECT

public:
    // `settingsPath` is the INI file of the user's settings; empty for the platform's own.
    explicit SpanwellApp(QString settingsPath = {}, QObject* parent = nullptr);
    ~SpanwellApp() override;

    Store& store() { return *appStore; }

    // Starts the store and looks for a tray; without one, opens the panel window.
    void start();
    // Opens the panel, or brings it forward when it is open already.
    void showPanel();

private:
    void trayFound();
    void activated(QSystemTrayIcon::ActivationReason reason);
    void closePopup();
    void fit();
    void panelHidden();
    void chooseStyle(TrayIconStyle style);
    PanelServices services();
    void buildMenu();
    void trayMessage(const Notification& notification);

    QString settingsPath;
    TrayIconStyle iconStyle;
    std::unique_ptr<Store> appStore;
    TrayIcon* trayIcon;
    TrayWatch* trayWatch;
    QSystemTrayIcon* item = nullptr;
    std::unique_ptr<QMenu> menu;
    QPointer<PanelView> panel;
    bool panelIsPopup = false;
    // Where the open popup hangs from and the free area of its screen, worked out once per
    // opening, so that the popup stays put while its content changes.
    QRect anchor;
    QRect available;
    QTimer* tick;
    QElapsedTimer sincePopupClosed;
    DesktopNotifications* desktopNotifications;
    NotificationCenter* notifications;
};
