#pragma once

#include "notifications/Announcement.h"
#include "store/UserSettings.h"
#include "tray/PanelPlacement.h"
#include "views/PanelServices.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSystemTrayIcon>

#include <memory>
#include <optional>

class BarPosition;
class DesktopNotifications;
class LayerShell;
class NotificationCenter;
class TrayIcon;
class PanelView;
class QMenu;
class QTimer;
class Store;
class TrayWatch;

// The tray program: the one store for the life of the process, the tray item with its label
// and menu, and the panel that opens from the item. On X11 the panel is a popup beside the
// item; on a Wayland compositor with a layer shell it stands in the corner by the bar; on one
// without (GNOME) it is a titled window the compositor places. Each closes when it loses the
// keyboard or on Escape. Until the desktop offers a tray the panel is an ordinary window
// instead, so the program is never out of sight; once a tray turns up, the item takes over and
// the window goes. Notifications go to the desktop's notification service, or else appear as
// the tray item's own message; choosing one opens the panel at its account's row. Opened
// without a click, the panel hangs where the last click on the item opened it.
class SpanwellApp : public QObject {
    Q_OBJECT

public:
    // The settings are the process's own, which outlive the program's controller.
    explicit SpanwellApp(UserSettings& settings, QObject* parent = nullptr);
    ~SpanwellApp() override;

    Store& store() { return *appStore; }

    // Starts the store and looks for a tray; without one, opens the panel window.
    void start();
    // Opens the panel, or brings it forward when it is open already.
    void showPanel();
    // The same, with the row of that account open and the keyboard on it.
    void showAccount(const QString& account);
    // Opens the sign-in window for a new account.
    void addAccount();

signals:
    // The desktop's tray is now only one of the other kind (an XEmbed tray where the item was a
    // StatusNotifierItem, or the other way round), which Qt makes no item for in this process:
    // the program must start again to show in it.
    void trayOfOtherKind();

private:
    enum class PanelKind { window, popup, layer, titledWindow };

    void trayFound();
    // The tray went, or came back: the panel window stands in for the item meanwhile.
    void trayLost();
    void trayBack();
    void openPanel(const QString& account);
    void activated(QSystemTrayIcon::ActivationReason reason);
    void closePopup();
    void fit();
    // Where a popup hangs from: the item, or a point the tray was clicked at that can be
    // believed; none when the panel must stand in a corner instead.
    std::optional<QRect> popupAnchor() const;
    PanelPlacement::Corner corner(const PanelPlacement::Screen& screen) const;
    void panelHidden();
    PanelServices services();
    void buildMenu();
    void trayMessage(const Announcement& announcement);
    // Puts Spanwell into, or takes it out of, the status line of every tracked account.
    void showInStatusLine(bool on);

    UserSettings& settings;
    std::unique_ptr<Store> appStore;
    TrayIcon* trayIcon;
    TrayWatch* trayWatch;
    QSystemTrayIcon* item = nullptr;
    // Where the pointer was when the item was last clicked; the account of the last message
    // shown by the item itself.
    std::optional<QPoint> lastActivation;
    QString messageAccount;
    bool trayThere = false;
    std::unique_ptr<QMenu> menu;
    std::unique_ptr<LayerShell> layerShell;
    BarPosition* bars;
    QPointer<PanelView> panel;
    PanelKind panelKind = PanelKind::window;
    // Where the open panel hangs from, or the corner it stands in, and the free area of its
    // screen, worked out once per opening, so that it stays put while its content changes.
    QRect anchor;
    std::optional<PanelPlacement::Corner> standsIn;
    QRect available;
    QTimer* tick;
    QElapsedTimer sincePopupClosed;
    DesktopNotifications* desktopNotifications;
    NotificationCenter* notifications;
};
