#include "tray/LayerShell.h"

#include "LogCategories.h"

#if defined(Q_OS_LINUX)
#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>
#include <qpa/qplatformwindow.h>

#include <wayland-client.h>
#include <xdg-shell-client-protocol.h>
// The protocol names an argument "namespace", a word of C++.
#define namespace layerNamespace
#include <wlr-layer-shell-unstable-v1-client-protocol.h>
#undef namespace

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Version 4 lets the panel take the keyboard when it is shown or clicked, and give it back.
constexpr uint32_t layerShellVersion = 4;
constexpr uint32_t keyboardOnDemandSince = 4;

QPlatformNativeInterface* native() {
    return QGuiApplication::platformNativeInterface();
}

wl_surface* surfaceOf(QWindow& window) {
    return static_cast<wl_surface*>(native()->nativeResourceForWindow("surface", &window));
}

uint32_t anchors(PanelPlacement::Corner corner) {
    using PanelPlacement::Corner;
    const bool top = corner == Corner::topLeft || corner == Corner::topRight;
    const bool left = corner == Corner::topLeft || corner == Corner::bottomLeft;
    return (top ? ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP : ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM) |
           (left ? ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT : ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
}

} // namespace

// The panel's surface or a menu's, with the role objects this client gave it. Qt makes a new
// surface each time a window is shown again, and destroys it when the window hides.
struct LayerShell::Surface {
    QPointer<QWindow> window;
    // A menu's parent: the panel or another menu. None for the panel.
    QPointer<QWindow> parent;
    // What Qt's window is as a QObject, whose signals tell of its surface.
    QPointer<QObject> platformWindow;
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    xdg_surface* xdg = nullptr;
    xdg_popup* popup = nullptr;

    void dropRole() {
        if (popup)
            xdg_popup_destroy(popup);
        if (xdg)
            xdg_surface_destroy(xdg);
        if (layer)
            zwlr_layer_surface_v1_destroy(layer);
        popup = nullptr;
        xdg = nullptr;
        layer = nullptr;
        surface = nullptr;
    }
};

// Qt's connection to the compositor, with a queue of this client's own: Qt dispatches only its
// own queue, so this client's events are handled when it asks, never inside Qt's handlers.
struct LayerShell::Wayland {
    LayerShell* owner = nullptr;
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    wl_display* onQueue = nullptr;
    wl_registry* registry = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    uint32_t layerVersion = 0;
    xdg_wm_base* wmBase = nullptr;
    // The panel first, then its menus, parents before children.
    std::vector<std::unique_ptr<Surface>> surfaces;
    PanelPlacement::Corner corner = PanelPlacement::Corner::topRight;
    QSize configured;

    ~Wayland() {
        while (!surfaces.empty()) {
            surfaces.back()->dropRole();
            surfaces.pop_back();
        }
        if (layerShell)
            zwlr_layer_shell_v1_destroy(layerShell);
        if (wmBase)
            xdg_wm_base_destroy(wmBase);
        if (registry)
            wl_registry_destroy(registry);
        if (onQueue)
            wl_proxy_wrapper_destroy(onQueue);
        if (queue)
            wl_event_queue_destroy(queue);
    }

    Surface* find(const QWindow* window) const {
        for (const auto& known : surfaces)
            if (known->window == window)
                return known.get();
        return nullptr;
    }

    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version) {
        auto* wayland = static_cast<Wayland*>(data);
        if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
            wayland->layerVersion = std::min(version, layerShellVersion);
            wayland->layerShell = static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(
                registry, name, &zwlr_layer_shell_v1_interface, wayland->layerVersion));
        } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
            wayland->wmBase = static_cast<xdg_wm_base*>(
                wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
            static const xdg_wm_base_listener answer{
                [](void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }};
            xdg_wm_base_add_listener(wayland->wmBase, &answer, nullptr);
        }
    }
    static void globalRemoved(void*, wl_registry*, uint32_t) {}

    static void layerConfigured(void* data, zwlr_layer_surface_v1* layer, uint32_t serial,
                                uint32_t width, uint32_t height) {
        static_cast<Wayland*>(data)->configured = QSize(int(width), int(height));
        zwlr_layer_surface_v1_ack_configure(layer, serial);
    }
    static void layerClosed(void* data, zwlr_layer_surface_v1*) {
        emit static_cast<Wayland*>(data)->owner->closed();
    }

    static void popupSurfaceConfigured(void*, xdg_surface* surface, uint32_t serial) {
        xdg_surface_ack_configure(surface, serial);
    }
    static void popupConfigured(void*, xdg_popup*, int32_t, int32_t, int32_t, int32_t) {}
    static void popupRepositioned(void*, xdg_popup*, uint32_t) {}
    // The user clicked outside the menu, elsewhere on the desktop.
    static void popupDone(void* data, xdg_popup*) {
        if (auto* menu = static_cast<Surface*>(data)->window.data())
            QMetaObject::invokeMethod(
                menu, [menu] { menu->close(); }, Qt::QueuedConnection);
    }
};

std::unique_ptr<LayerShell> LayerShell::find() {
    if (QGuiApplication::platformName() != QLatin1String("wayland") || !native())
        return nullptr;
    auto wayland = std::make_unique<Wayland>();
    wayland->display =
        static_cast<wl_display*>(native()->nativeResourceForIntegration("wl_display"));
    if (!wayland->display)
        return nullptr;
    wayland->queue = wl_display_create_queue(wayland->display);
    wayland->onQueue = static_cast<wl_display*>(wl_proxy_create_wrapper(wayland->display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wayland->onQueue), wayland->queue);
    wayland->registry = wl_display_get_registry(wayland->onQueue);
    static const wl_registry_listener listener{&Wayland::global, &Wayland::globalRemoved};
    wl_registry_add_listener(wayland->registry, &listener, wayland.get());
    wl_display_roundtrip_queue(wayland->display, wayland->queue);
    if (!wayland->layerShell || !wayland->wmBase)
        return nullptr;
    return std::unique_ptr<LayerShell>(new LayerShell(std::move(wayland)));
}

LayerShell::LayerShell(std::unique_ptr<Wayland> globals)
    : wayland(std::move(globals)) {
    wayland->owner = this;
    // Qt gives no surface a role of its own when its window bypasses the window manager, and
    // then only when this is set; this client gives those surfaces theirs.
    qputenv("QT_WAYLAND_USE_BYPASSWINDOWMANAGERHINT", "1");
    // Qt reads the compositor's messages, this client's among them, and wakes the interface
    // thread to dispatch its own; this client's are dispatched before the thread sleeps again.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            [this] { wl_display_dispatch_queue_pending(wayland->display, wayland->queue); });
    qApp->installEventFilter(this);
}

LayerShell::~LayerShell() = default;

void LayerShell::roundTrip() {
    if (wl_display_roundtrip_queue(wayland->display, wayland->queue) < 0)
        qCWarning(trayLog) << "The Wayland compositor did not answer the panel's requests";
}

std::optional<QSize> LayerShell::open(QWidget& panel, PanelPlacement::Corner corner) {
    panel.setWindowFlag(Qt::BypassWindowManagerHint);
    panel.winId();
    QWindow& window = *panel.windowHandle();
    for (auto& known : wayland->surfaces)
        known->dropRole();
    wayland->surfaces.clear();
    auto& entry = wayland->surfaces.emplace_back(std::make_unique<Surface>());
    entry->window = &window;
    entry->platformWindow = dynamic_cast<QObject*>(window.handle());
    entry->surface = surfaceOf(window);
    panelWindow = &window;
    wayland->corner = corner;
    wayland->configured = {};
    if (!entry->surface) {
        qCWarning(trayLog) << "Qt gave the panel no Wayland surface to stand on the layer shell";
        return std::nullopt;
    }
    if (entry->platformWindow)
        connect(entry->platformWindow, SIGNAL(wlSurfaceDestroyed()), this,
                SLOT(platformSurfaceDestroyed()));

    entry->layer = zwlr_layer_shell_v1_get_layer_surface(
        wayland->layerShell, entry->surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_TOP, "spanwell");
    static const zwlr_layer_surface_v1_listener listener{&Wayland::layerConfigured,
                                                         &Wayland::layerClosed};
    zwlr_layer_surface_v1_add_listener(entry->layer, &listener, wayland.get());
    zwlr_layer_surface_v1_set_keyboard_interactivity(
        entry->layer, wayland->layerVersion >= keyboardOnDemandSince
                          ? ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND
                          : ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    // Stretched from the top to the bottom edge at first, so that the compositor tells how much
    // height the bars leave; the panel's own size follows before Qt draws it.
    zwlr_layer_surface_v1_set_anchor(entry->layer, anchors(corner) |
                                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP |
                                                       ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM);
    zwlr_layer_surface_v1_set_size(entry->layer, uint32_t(panel.width()), 0);
    wl_surface_commit(entry->surface);
    roundTrip();
    return wayland->configured;
}

void LayerShell::resize(QSize size) {
    const Surface* panel = wayland->find(panelWindow);
    if (!panel || !panel->layer)
        return;
    // Applied with the next picture Qt commits, which has that size.
    zwlr_layer_surface_v1_set_anchor(panel->layer, anchors(wayland->corner));
    zwlr_layer_surface_v1_set_size(panel->layer, uint32_t(size.width()), uint32_t(size.height()));
}

bool LayerShell::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Show || !panelWindow)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !widget->isWindow() || widget->windowType() != Qt::Popup)
        return false;
    // Sent before Qt shows the window, so the role can still be given.
    QWindow* menu = widget->windowHandle();
    if (menu && menu->transientParent() && wayland->find(menu->transientParent()))
        adopt(*menu, *menu->transientParent(), widget->geometry());
    return false;
}

void LayerShell::adopt(QWindow& menu, QWindow& parent, const QRect& geometry) {
    menu.setFlags(menu.flags() | Qt::BypassWindowManagerHint);
    Surface* entry = wayland->find(&menu);
    if (!entry) {
        entry = wayland->surfaces.emplace_back(std::make_unique<Surface>()).get();
        entry->window = &menu;
        entry->platformWindow = dynamic_cast<QObject*>(menu.handle());
        // A menu shown again gets a new surface from Qt, without a role until it is given one
        // here, before Qt draws on it.
        if (entry->platformWindow) {
            connect(entry->platformWindow, SIGNAL(wlSurfaceCreated()), this,
                    SLOT(platformSurfaceCreated()));
            connect(entry->platformWindow, SIGNAL(wlSurfaceDestroyed()), this,
                    SLOT(platformSurfaceDestroyed()));
        }
    }
    entry->parent = &parent;
    if (!entry->popup && surfaceOf(menu))
        giveRole(menu, geometry);
}

void LayerShell::platformSurfaceCreated() {
    for (const auto& known : wayland->surfaces)
        if (known->platformWindow == sender() && known->window && known->parent)
            giveRole(*known->window, known->window->geometry());
}

void LayerShell::platformSurfaceDestroyed() {
    for (auto& known : wayland->surfaces)
        if (known->platformWindow == sender())
            forget(*known);
}

void LayerShell::forget(Surface& gone) {
    // Popups go before the surface they hang from.
    for (auto it = wayland->surfaces.rbegin(); it != wayland->surfaces.rend(); ++it)
        if ((*it)->parent == gone.window && (*it)->popup)
            forget(**it);
    gone.dropRole();
}

void LayerShell::giveRole(QWindow& menu, const QRect& geometry) {
    Surface* entry = wayland->find(&menu);
    const Surface* parent = entry ? wayland->find(entry->parent) : nullptr;
    if (!parent || !(parent->layer || parent->xdg))
        return;
    entry->surface = surfaceOf(menu);
    entry->xdg = xdg_wm_base_get_xdg_surface(wayland->wmBase, entry->surface);
    static const xdg_surface_listener surfaceListener{&Wayland::popupSurfaceConfigured};
    xdg_surface_add_listener(entry->xdg, &surfaceListener, nullptr);

    // Where Qt put the menu, against its parent; the compositor moves it where it would not fit.
    xdg_positioner* positioner = xdg_wm_base_create_positioner(wayland->wmBase);
    const QPoint offset = geometry.topLeft() - entry->parent->geometry().topLeft();
    xdg_positioner_set_size(positioner, std::max(1, geometry.width()),
                            std::max(1, geometry.height()));
    xdg_positioner_set_anchor_rect(positioner, offset.x(), offset.y(), 1, 1);
    xdg_positioner_set_anchor(positioner, XDG_POSITIONER_ANCHOR_TOP_LEFT);
    xdg_positioner_set_gravity(positioner, XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT);
    xdg_positioner_set_constraint_adjustment(positioner,
                                             XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X |
                                                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_Y |
                                                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_X |
                                                 XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y);
    entry->popup = xdg_surface_get_popup(entry->xdg, parent->xdg, positioner);
    xdg_positioner_destroy(positioner);
    static const xdg_popup_listener popupListener{&Wayland::popupConfigured, &Wayland::popupDone,
                                                  &Wayland::popupRepositioned};
    xdg_popup_add_listener(entry->popup, &popupListener, entry);
    if (parent->layer)
        zwlr_layer_surface_v1_get_popup(parent->layer, entry->popup);
    // The menu takes the keyboard, and closes when the user clicks elsewhere.
    auto* seat = static_cast<wl_seat*>(native()->nativeResourceForIntegration("wl_seat"));
    const auto serial = uint32_t(quintptr(native()->nativeResourceForIntegration("serial")));
    if (seat)
        xdg_popup_grab(entry->popup, seat, serial);
    wl_surface_commit(entry->surface);
    roundTrip();
}

#else

// Only Linux desktops run Wayland compositors.
struct LayerShell::Wayland {};
struct LayerShell::Surface {};
std::unique_ptr<LayerShell> LayerShell::find() {
    return nullptr;
}
LayerShell::~LayerShell() = default;
QSize LayerShell::open(QWidget&, PanelPlacement::Corner) {
    return {};
}
void LayerShell::resize(QSize) {}
bool LayerShell::eventFilter(QObject*, QEvent*) {
    return false;
}
void LayerShell::platformSurfaceCreated() {}
void LayerShell::platformSurfaceDestroyed() {}

#endif
