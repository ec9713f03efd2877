#include "scene/SpanwellApp.h"

#include "SignInWindow/SignInWindow.h"
#include "scene/AutostartEntry.h"
#include "store/Store.h"
#include "views/AppIcon.h"
#include "views/MenuBarLabel.h"
#include "views/PanelView.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEvent>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int tickMilliseconds = 30 * 1000;
// A click on the tray item while the popup is open first closes the popup, as a click outside
// it; when the item then reports the click, it meant to close, not to open again.
constexpr int reopenAfterMilliseconds = 300;
// Between the popup and the tray item or the pointer.
constexpr int gap = 4;

// For the panel window, the sign-in window and the desktop's task switcher.
QIcon applicationIcon() {
    QIcon icon;
    for (const int edge : {16, 32, 48, 64, 128, 256}) {
        QImage image(edge, edge, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        AppIcon::draw(painter, edge);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

} // namespace

SpanwellApp::SpanwellApp(QObject* parent)
    : QObject(parent)
    , appStore(std::make_unique<Store>())
    , item(new QSystemTrayIcon(this))
    , label(new MenuBarLabel(*appStore, *item, this))
    , tick(new QTimer(this)) {
    QApplication::setWindowIcon(applicationIcon());
    tick->setInterval(tickMilliseconds);
    connect(tick, &QTimer::timeout, this, [this] {
        if (panel)
            panel->setNow(appStore->now());
    });
    connect(item, &QSystemTrayIcon::activated, this, &SpanwellApp::activated);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    closePopup();
            });
}

SpanwellApp::~SpanwellApp() {
    delete panel;
}

void SpanwellApp::start() {
    const bool hasTray = QSystemTrayIcon::isSystemTrayAvailable();
    // With a tray the program lives in it; without one, the panel window is the program.
    QApplication::setQuitOnLastWindowClosed(!hasTray);
    label->show();
    if (!hasTray)
        showPanel();
}

void SpanwellApp::showPanel() {
    if (panel && panel->isVisible()) {
        panel->raise();
        panel->activateWindow();
        return;
    }
    panelIsPopup = QSystemTrayIcon::isSystemTrayAvailable();
    panel = new PanelView(*appStore, appStore->now(), PanelView::Options{}, services());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    if (panelIsPopup) {
        panel->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    } else {
        panel->setWindowFlags(Qt::Window);
        panel->setWindowTitle(QStringLiteral("Spanwell"));
    }
    panel->installEventFilter(this);
    fit();
    panel->show();
    panel->raise();
    panel->activateWindow();
    tick->start();
    appStore->refreshIfStale();
}

bool SpanwellApp::eventFilter(QObject* watched, QEvent* event) {
    if (watched != panel)
        return QObject::eventFilter(watched, event);
    // Rows open and close and accounts come and go: the panel keeps the size of its content.
    if (event->type() == QEvent::LayoutRequest)
        QMetaObject::invokeMethod(this, &SpanwellApp::fit, Qt::QueuedConnection);
    if (event->type() == QEvent::Hide) {
        tick->stop();
        if (panelIsPopup)
            sincePopupClosed.start();
    }
    return QObject::eventFilter(watched, event);
}

void SpanwellApp::activated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Unknown)
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
    panel->adjustSize();
    if (panelIsPopup)
        place();
}

void SpanwellApp::place() {
    const QRect itemArea = item->geometry();
    const bool knowsItem = itemArea.isValid() && !itemArea.isEmpty();
    const QPoint anchor = knowsItem ? itemArea.center() : QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QSize size = panel->size();
    // A tray along the top edge drops the panel down, one along the bottom raises it up.
    const bool below = anchor.y() < free.center().y();
    const int edge = knowsItem ? (below ? itemArea.bottom() : itemArea.top()) : anchor.y();
    const int y = below ? edge + gap : edge - gap - size.height();
    const int x = anchor.x() - size.width() / 2;
    panel->move(std::clamp(x, free.left(), std::max(free.left(), free.right() + 1 - size.width())),
                std::clamp(y, free.top(), std::max(free.top(), free.bottom() + 1 - size.height())));
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
        if (open)
            entry.registerEntry();
        else
            entry.unregister();
    };
    services.openAddress = [this](const QUrl& address) {
        closePopup();
        QDesktopServices::openUrl(address);
    };
    services.quit = [] { QCoreApplication::quit(); };
    return services;
}
