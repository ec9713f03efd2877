#include "tray/SpanwellApp.h"

#include "LogCategories.h"
#include "notifications/DesktopNotifications.h"
#include "notifications/NotificationCenter.h"
#include "signin/SignInWindow.h"
#include "store/Store.h"
#include "tray/AutostartEntry.h"
#include "tray/PanelPlacement.h"
#include "tray/TrayIcon.h"
#include "tray/TrayWatch.h"
#include "views/AppIcon.h"
#include "views/MenuCommands.h"
#include "views/PanelView.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int tickMilliseconds = 30 * 1000;
// A click on the tray item while the popup is open first closes the popup, as a click outside
// it; when the item then reports the click, it meant to close, not to open again.
constexpr int reopenAfterMilliseconds = 300;

// For the panel window, the sign-in window and the desktop's task switcher.
QIcon applicationIcon() {
    QIcon icon;
    for (const int edge : {16, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(AppIcon::image(edge)));
    return icon;
}

QRect freeArea(const QRect& anchor) {
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

SpanwellApp::SpanwellApp(QString settings, QObject* parent)
    : QObject(parent)
    , settingsPath(std::move(settings))
    , iconStyle(TrayIconStyles::read(settingsPath))
    , appStore(std::make_unique<Store>())
    , trayIcon(new TrayIcon(*appStore, this))
    , trayWatch(new TrayWatch(this))
    , tick(new QTimer(this))
    , desktopNotifications(new DesktopNotifications(
          [this](const Notification& notification) { trayMessage(notification); }, {}, this))
    , notifications(new NotificationCenter(
          *appStore, settingsPath,
          [this](const Notification& notification) { desktopNotifications->send(notification); },
          this)) {
    QApplication::setWindowIcon(applicationIcon());
    connect(desktopNotifications, &DesktopNotifications::opened, this, &SpanwellApp::showPanel);
    trayIcon->setStyle(iconStyle);
    tick->setInterval(tickMilliseconds);
    connect(tick, &QTimer::timeout, this, [this] {
        if (panel)
            panel->setNow(appStore->now());
    });
    connect(trayWatch, &TrayWatch::found, this, &SpanwellApp::trayFound);
    // Qt registers the item again as soon as a new watcher takes its name on the bus, which
    // some watchers do before they can take registrations; showing the item again registers it
    // once more.
    connect(trayWatch, &TrayWatch::itemMissing, this, [this] {
        if (item && trayWatch->foundOnBus()) {
            item->hide();
            item->show();
        }
    });
    connect(trayWatch, &TrayWatch::absent, this, [this] {
        // Without a tray the panel window is the program, and closing it ends it.
        QApplication::setQuitOnLastWindowClosed(true);
        showPanel();
    });
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    closePopup();
            });
}

namespace {

// Qt frees the items a tray host's menu is built from as actions leave the menu, never with
// the menu itself.
void empty(QMenu& menu) {
    for (QAction* action : menu.actions())
        if (QMenu* submenu = action->menu())
            empty(*submenu);
    menu.clear();
}

} // namespace

SpanwellApp::~SpanwellApp() {
    delete panel;
    if (menu)
        empty(*menu);
}

void SpanwellApp::start() {
    QApplication::setQuitOnLastWindowClosed(false);
    trayIcon->show();
    trayWatch->start();
}

void SpanwellApp::trayFound() {
    // While the item exists the program lives in it, whatever windows close.
    QApplication::setQuitOnLastWindowClosed(false);
    buildMenu();
    item = new QSystemTrayIcon(this);
    item->setContextMenu(menu.get());
    connect(item, &QSystemTrayIcon::activated, this, &SpanwellApp::activated);
    connect(item, &QSystemTrayIcon::messageClicked, this, &SpanwellApp::showPanel);
    trayIcon->attach(item);
    if (panel && !panelIsPopup)
        panel->close();
}

void SpanwellApp::showPanel() {
    if (panel && panel->isVisible()) {
        panel->raise();
        panel->activateWindow();
        return;
    }
    panelIsPopup = item != nullptr;
    PanelView::Options options;
    options.bordered = panelIsPopup;
    panel = new PanelView(*appStore, appStore->now(), options, services());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    if (panelIsPopup) {
        panel->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
        const QRect itemArea = item->geometry();
        anchor = itemArea.isValid() && !itemArea.isEmpty() ? itemArea
                                                           : QRect(QCursor::pos(), QSize(1, 1));
    } else {
        // No maximise button: stretched over the screen the panel would be a long thin list.
        panel->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        panel->setWindowTitle(QStringLiteral("Spanwell"));
        anchor = QRect(QCursor::pos(), QSize(1, 1));
    }
    available = freeArea(anchor);
    connect(panel, &PanelView::contentChanged, this, &SpanwellApp::fit, Qt::QueuedConnection);
    connect(panel, &PanelView::hidden, this, &SpanwellApp::panelHidden);
    fit();
    panel->show();
    panel->raise();
    panel->activateWindow();
    panel->focusFirst();
    tick->start();
    appStore->refreshIfStale();
}

void SpanwellApp::panelHidden() {
    tick->stop();
    if (panelIsPopup)
        sincePopupClosed.start();
}

void SpanwellApp::activated(QSystemTrayIcon::ActivationReason reason) {
    // The context menu answers the right button by itself.
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::MiddleClick)
        return;
    if (panel && panel->isVisible() && panelIsPopup) {
        closePopup();
        return;
    }
    if (sincePopupClosed.isValid() && !sincePopupClosed.hasExpired(reopenAfterMilliseconds))
        return;
    showPanel();
}

void SpanwellApp::closePopup() {
    if (panel && panelIsPopup)
        panel->close();
}

void SpanwellApp::fit() {
    if (!panel)
        return;
    const QSize wanted = panel->sizeHint();
    if (panelIsPopup) {
        panel->setGeometry(PanelPlacement::place(anchor, wanted, available));
        return;
    }
    // Exactly the content's size, so that the window cannot be stretched either.
    panel->setFixedSize(wanted.width(), std::min(wanted.height(), available.height()));
}

void SpanwellApp::chooseStyle(TrayIconStyle style) {
    iconStyle = style;
    TrayIconStyles::write(settingsPath, style);
    trayIcon->setStyle(style);
}

PanelServices SpanwellApp::services() {
    PanelServices services;
    // Commands that lead out of the panel close the popup, which would otherwise hang over
    // the window or page they open.
    services.addAccount = [this] {
        closePopup();
        SignInWindow::show(appStore.get(), std::nullopt);
    };
    services.signInAgain = [this](const Account& account) {
        closePopup();
        SignInWindow::show(appStore.get(), account);
    };
    services.isOpenAtLogin = [] { return AutostartEntry::forThisProgram().isRegistered(); };
    services.setOpenAtLogin = [](bool open) {
        const AutostartEntry entry = AutostartEntry::forThisProgram();
        if (!(open ? entry.registerEntry() : entry.unregister()))
            qCWarning(trayLog) << "The autostart entry could not be"
                               << (open ? "written to" : "removed from") << entry.path();
    };
    services.openAddress = [this](const QUrl& address) {
        closePopup();
        QDesktopServices::openUrl(address);
    };
    services.trayIconStyle = [this] { return iconStyle; };
    services.setTrayIconStyle = [this](TrayIconStyle style) { chooseStyle(style); };
    services.quit = [] { QCoreApplication::quit(); };
    services.isNotifying = [this](NotificationKind kind) { return notifications->isEnabled(kind); };
    services.setNotifying = [this](NotificationKind kind, bool on) {
        notifications->setEnabled(kind, on);
    };
    return services;
}

// Where the desktop has no notification service.
void SpanwellApp::trayMessage(const Notification& notification) {
    if (item && QSystemTrayIcon::supportsMessages()) {
        item->showMessage(notification.summary, notification.body, QApplication::windowIcon());
        return;
    }
    qCWarning(notificationsLog) << "Neither a notification service nor a tray item could show"
                                << notification.summary;
}

// The item's own menu: the same commands as the footer's, and the way to the panel for trays
// whose clicks do not reach the item.
void SpanwellApp::buildMenu() {
    menu = std::make_unique<QMenu>();
    menu->addAction(QStringLiteral("Show Panel"), this, &SpanwellApp::showPanel);
    menu->addAction(QStringLiteral("Refresh Now"), appStore.get(), [this] { appStore->refresh(); });
    const PanelServices shared = services();
    MenuCommands::addAccount(*menu, shared);
    menu->addSeparator();
    MenuCommands::openAtLogin(*menu, shared);
    MenuCommands::trayIcon(*menu, shared);
    MenuCommands::notifications(*menu, shared);
    menu->addSeparator();
    MenuCommands::quit(*menu, shared);
}
