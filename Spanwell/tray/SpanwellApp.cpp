#include "tray/SpanwellApp.h"

#include "LogCategories.h"
#include "notifications/AnnouncementRecords.h"
#include "notifications/DesktopNotifications.h"
#include "notifications/NotificationCenter.h"
#include "signin/SignInWindow.h"
#include "store/Preferences.h"
#include "store/StatusLineSetting.h"
#include "store/Store.h"
#include "tray/AutostartEntry.h"
#include "tray/BarPosition.h"
#include "tray/FreedMemory.h"
#include "tray/GraphicalSession.h"
#include "tray/LayerShell.h"
#include "tray/PanelCornerSetting.h"
#include "tray/TrayIcon.h"
#include "tray/TrayIconStyle.h"
#include "tray/TrayWatch.h"
#include "views/AppIcon.h"
#include "views/MenuCommands.h"
#include "views/PanelView.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QIcon>
#include <QMenu>
#include <QProcessEnvironment>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int tickMilliseconds = 30 * 1000;
// A click on the tray item while the popup is open first closes the popup, as a click outside
// it; when the item then reports the click, it meant to close, not to open again.
constexpr int reopenAfterMilliseconds = 300;

const QScreen* screenAt(const QRect& anchor) {
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    return screen ? screen : QGuiApplication::primaryScreen();
}

bool onXWayland() {
    return GraphicalSession::isXWayland(QProcessEnvironment::systemEnvironment(),
                                        QGuiApplication::platformName());
}

PanelPlacement::Screen areas(const QScreen* screen) {
    return screen ? PanelPlacement::Screen{screen->geometry(), screen->availableGeometry()}
                  : PanelPlacement::Screen{};
}

} // namespace

SpanwellApp::SpanwellApp(UserSettings& userSettings, QObject* parent)
    : QObject(parent)
    , settings(userSettings)
    , appStore(std::make_unique<Store>(StoreServices::real(), settings))
    , trayIcon(new TrayIcon(*appStore, this))
    , trayWatch(new TrayWatch(this))
    , bars(new BarPosition(this))
    , tick(new QTimer(this))
    , desktopNotifications(new DesktopNotifications(
          [this](const Announcement& announcement) { trayMessage(announcement); }, {}, this))
    , notifications(new NotificationCenter(
          *appStore, settings, AnnouncementRecords::defaultPath(),
          [this](const Announcement& announcement) { desktopNotifications->send(announcement); },
          this)) {
    // For the panel window, the sign-in window and the desktop's task switcher.
    QApplication::setWindowIcon(AppIcon::icon());
    appStore->setRefreshInterval(Preferences::refreshMinutes(settings) * 60);
    connect(desktopNotifications, &DesktopNotifications::opened, this, &SpanwellApp::showAccount);
    trayIcon->setStyle(TrayIconStyles::read(settings));
    // Chosen in a menu or the preferences.
    connect(&settings, &UserSettings::changed, this, [this](const QString& key) {
        if (key == Settings::trayIconStyle.key)
            trayIcon->setStyle(TrayIconStyles::read(settings));
        else if (key == Settings::refreshMinutes.key)
            appStore->setRefreshInterval(Preferences::refreshMinutes(settings) * 60);
    });
    tick->setInterval(tickMilliseconds);
    connect(tick, &QTimer::timeout, this, [this] {
        if (panel)
            panel->setNow(appStore->now());
    });
    // Once the refreshed figures are shown, what the refresh used is handed back; again once
    // the history kept after it has been read back and its charts drawn.
    connect(appStore.get(), &Store::refreshFinished, this, &FreedMemory::giveBack,
            Qt::QueuedConnection);
    connect(appStore.get(), &Store::recentUseChanged, this, &FreedMemory::giveBack,
            Qt::QueuedConnection);
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
    connect(trayWatch, &TrayWatch::absent, this, &SpanwellApp::trayLost);
    connect(trayWatch, &TrayWatch::lost, this, &SpanwellApp::trayLost);
    connect(trayWatch, &TrayWatch::back, this, &SpanwellApp::trayBack);
    connect(trayWatch, &TrayWatch::otherKindOnly, this, &SpanwellApp::trayOfOtherKind);
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
    // An entry that names a program since moved or removed would start nothing at login.
    const AutostartEntry entry = AutostartEntry::forThisProgram();
    if (const std::optional<RegularFile::Written> repaired = entry.repair(); repaired && *repaired)
        qCInfo(trayLog)
            << "The autostart entry named a program that is gone; it names this one now";
    else if (repaired)
        qCWarning(trayLog).noquote()
            << QStringLiteral("The autostart entry %1 names a program that is gone, and could "
                              "not be written afresh: %2")
                   .arg(entry.path(), repaired->failure);
    layerShell = LayerShell::find();
    if (layerShell)
        connect(layerShell.get(), &LayerShell::closed, this, &SpanwellApp::closePopup);
    trayIcon->show();
    trayWatch->start();
    appStore->followCache();
    appStore->showRecentUse();
}

void SpanwellApp::trayFound() {
    buildMenu();
    item = new QSystemTrayIcon(this);
    item->setContextMenu(menu.get());
    connect(item, &QSystemTrayIcon::activated, this, &SpanwellApp::activated);
    connect(item, &QSystemTrayIcon::messageClicked, this, [this] { showAccount(messageAccount); });
    trayIcon->attach(item);
    trayBack();
}

void SpanwellApp::trayLost() {
    trayThere = false;
    closePopup();
    // Without a tray the panel window is the program, and closing it ends it.
    QApplication::setQuitOnLastWindowClosed(true);
    showPanel();
}

void SpanwellApp::trayBack() {
    trayThere = true;
    // While the item is in a tray the program lives in it, whatever windows close.
    QApplication::setQuitOnLastWindowClosed(false);
    if (panel && panelKind == PanelKind::window)
        panel->close();
}

void SpanwellApp::showPanel() {
    showAccount({});
}

void SpanwellApp::showAccount(const QString& account) {
    if (panel && panel->isVisible()) {
        if (!account.isEmpty())
            panel->showRow(account);
        panel->raise();
        panel->activateWindow();
        return;
    }
    // Where the panel stands by the bar, it stands by the bar where it is now.
    bars->ask([this, account] { openPanel(account); });
}

void SpanwellApp::addAccount() {
    closePopup();
    SignInWindow::show(appStore.get(), std::nullopt);
}

void SpanwellApp::openPanel(const QString& account) {
    if (panel && panel->isVisible())
        return;
    if (!item || !trayThere)
        panelKind = PanelKind::window;
    else if (layerShell)
        panelKind = PanelKind::layer;
    else
        panelKind = QGuiApplication::platformName() == QLatin1String("wayland")
                        ? PanelKind::titledWindow
                        : PanelKind::popup;
    PanelView::Options options;
    options.bordered = panelKind == PanelKind::popup || panelKind == PanelKind::layer;
    panel = new PanelView(*appStore, appStore->now(), options, services());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    standsIn.reset();
    if (panelKind == PanelKind::popup) {
        panel->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
        const std::optional<QRect> hangsFrom = popupAnchor();
        // XWayland knows nothing of the compositor's bars; sway tells where they are.
        const PanelPlacement::Screen screen = !hangsFrom && bars->screen()
                                                  ? *bars->screen()
                                                  : areas(screenAt(hangsFrom.value_or(QRect())));
        anchor = hangsFrom.value_or(QRect());
        available = screen.available;
        if (!hangsFrom)
            standsIn = corner(screen);
    } else if (panelKind == PanelKind::layer) {
        panel->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        const std::optional<PanelPlacement::Screen> known = bars->screen();
        const PanelPlacement::Screen screen = known.value_or(areas(panel->screen()));
        standsIn = corner(screen);
        const std::optional<QSize> room = layerShell->open(*panel, *standsIn);
        if (room)
            available = known ? screen.available
                              : PanelPlacement::available(
                                    screen.geometry,
                                    room->isEmpty() ? screen.geometry.size() : *room, *standsIn);
        else
            panelKind = PanelKind::titledWindow;
    }
    if (panelKind == PanelKind::titledWindow || panelKind == PanelKind::window) {
        standsIn.reset();
        // No maximise button: stretched over the screen the panel would be a long thin list.
        panel->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
        panel->setWindowTitle(QStringLiteral("Spanwell"));
        available = areas(screenAt(QRect(QCursor::pos(), QSize(1, 1)))).available;
    }
    if (panelKind != PanelKind::window) {
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), panel);
        connect(escape, &QShortcut::activated, this, &SpanwellApp::closePopup);
    }
    connect(panel, &PanelView::contentChanged, this, &SpanwellApp::fit, Qt::QueuedConnection);
    connect(panel, &PanelView::hidden, this, &SpanwellApp::panelHidden);
    // The closed panel is deleted with its rows; what they held is handed back once they are.
    connect(panel, &QObject::destroyed, this, &FreedMemory::giveBack, Qt::QueuedConnection);
    fit();
    panel->show();
    panel->raise();
    // Where the tray host handed over an activation token (ProvideXdgActivationToken), Qt
    // presents it to the compositor here, so that a titled window comes to the front.
    panel->activateWindow();
    if (account.isEmpty())
        panel->focusFirst();
    else
        panel->showRow(account);
    tick->start();
    appStore->refreshIfStale();
}

std::optional<QRect> SpanwellApp::popupAnchor() const {
    const QRect itemArea = item->geometry();
    if (itemArea.isValid() && !itemArea.isEmpty())
        return itemArea;
    // Qt's tray item does not pass on where a StatusNotifierItem host says it was clicked, so
    // the pointer at the click is the only point there is, kept for the openings that follow
    // no click (a notification, another start). On X11 it is where the click was; on XWayland
    // it is where it last crossed an X window, which a click on the compositor's own bar does
    // not move, so there it is believed only on a bar beside the screen's edge. Before any
    // click, the panel stands in the corner by the bar.
    if (!lastActivation)
        return std::nullopt;
    QList<PanelPlacement::Screen> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(areas(screen));
    if (!onXWayland() || PanelPlacement::isBesideATray(*lastActivation, screens))
        return QRect(*lastActivation, QSize(1, 1));
    return std::nullopt;
}

PanelPlacement::Corner SpanwellApp::corner(const PanelPlacement::Screen& screen) const {
    std::optional<PanelPlacement::Corner> chosen = PanelCornerSetting::read(settings);
    // Plasma's panel, tray and all, sits along the bottom unless the user moved it, and KWin
    // does not tell where.
    if (!chosen && !bars->screen() && panelKind == PanelKind::layer &&
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(QLatin1String("KDE")))
        chosen = PanelPlacement::Corner::bottomRight;
    return PanelPlacement::corner(screen, chosen);
}

void SpanwellApp::panelHidden() {
    tick->stop();
    if (panelKind != PanelKind::window)
        sincePopupClosed.start();
}

void SpanwellApp::activated(QSystemTrayIcon::ActivationReason reason) {
    // The context menu answers the right button by itself.
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::MiddleClick)
        return;
    if (panel && panel->isVisible() && panelKind != PanelKind::window) {
        closePopup();
        return;
    }
    if (sincePopupClosed.isValid() && !sincePopupClosed.hasExpired(reopenAfterMilliseconds))
        return;
    lastActivation = QCursor::pos();
    showPanel();
}

void SpanwellApp::closePopup() {
    if (panel && panelKind != PanelKind::window)
        panel->close();
}

void SpanwellApp::fit() {
    if (!panel)
        return;
    const QSize wanted = panel->sizeHint();
    if (standsIn) {
        const QRect placed = PanelPlacement::inCorner(*standsIn, wanted, available);
        if (panelKind == PanelKind::layer)
            layerShell->resize(placed.size());
        panel->setGeometry(placed);
        return;
    }
    if (panelKind == PanelKind::popup) {
        panel->setGeometry(PanelPlacement::place(anchor, wanted, available));
        return;
    }
    // Exactly the content's size, so that the window cannot be stretched either.
    panel->setFixedSize(wanted.width(), std::min(wanted.height(), available.height()));
}

PanelServices SpanwellApp::services() {
    PanelServices services;
    // Commands that lead out of the panel close the popup, which would otherwise hang over
    // the window or page they open.
    services.addAccount = [this] { addAccount(); };
    services.signInAgain = [this](const Account& account) {
        closePopup();
        SignInWindow::show(appStore.get(), account);
    };
    services.isOpenAtLogin = [] { return AutostartEntry::forThisProgram().isRegistered(); };
    services.setOpenAtLogin = [](bool open) {
        const AutostartEntry entry = AutostartEntry::forThisProgram();
        if (const RegularFile::Written done = open ? entry.registerEntry() : entry.unregister();
            !done)
            qCWarning(trayLog).noquote()
                << QStringLiteral("The autostart entry %1 could not be %2: %3")
                       .arg(entry.path(),
                            open ? QStringLiteral("written") : QStringLiteral("removed"),
                            done.failure);
    };
    services.isInStatusLine = [this] {
        const QList<Entry>& entries = appStore->entries();
        return std::any_of(entries.begin(), entries.end(), [](const Entry& entry) {
            return StatusLineSetting::isInstalled(entry.id());
        });
    };
    services.setInStatusLine = [this](bool on) { showInStatusLine(on); };
    services.openAddress = [this](const QUrl& address) {
        closePopup();
        QDesktopServices::openUrl(address);
    };
    services.quit = [] { QCoreApplication::quit(); };
    services.settings = &settings;
    return services;
}

// A folder whose settings are left as they were is named, with why, since the menu's mark
// alone cannot tell which.
void SpanwellApp::showInStatusLine(bool on) {
    const QString command = StatusLineSetting::command(QCoreApplication::applicationFilePath());
    QStringList leftAlone;
    for (const Entry& entry : appStore->entries()) {
        const StatusLineSetting::Outcome outcome =
            on ? StatusLineSetting::install(entry.id(), command)
               : StatusLineSetting::remove(entry.id());
        if (!StatusLineSetting::succeeded(outcome))
            leftAlone.append(entry.account.folderLabel() + QStringLiteral(": ") +
                             StatusLineSetting::sentence(outcome));
    }
    if (!leftAlone.isEmpty())
        desktopNotifications->send({{},
                                    Announcement::Moment::notice,
                                    {},
                                    {on ? QStringLiteral("Not in every status line")
                                        : QStringLiteral("Still in a status line"),
                                     leftAlone.join(QLatin1Char('\n'))}});
}

// Where the desktop has no notification service.
void SpanwellApp::trayMessage(const Announcement& announcement) {
    const Notification& notification = announcement.notification;
    if (item && QSystemTrayIcon::supportsMessages()) {
        messageAccount = announcement.account;
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
    MenuCommands::statusLine(*menu, shared);
    MenuCommands::trayIcon(*menu, shared);
    MenuCommands::notifications(*menu, shared);
    MenuCommands::preferences(*menu, shared);
    menu->addSeparator();
    MenuCommands::quit(*menu, shared);
}
