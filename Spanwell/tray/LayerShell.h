#pragma once

#include "tray/PanelPlacement.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <memory>
#include <optional>

class QWidget;
class QWindow;

// The compositor's layer shell (sway, Hyprland, KDE Plasma's KWin and other compositors offer
// it), through which the panel stands on the desktop's top layer in a corner of the screen, as
// the bars themselves do, instead of being an ordinary window the compositor places or tiles.
// It takes the keyboard when it is shown or clicked, and its menus open as popups of it. Qt 6.4
// knows no such surface, so this gives the role to the panel's surface before Qt draws on it;
// nothing else in the program knows how.
class LayerShell : public QObject {
    Q_OBJECT

public:
    // None where Qt does not draw on Wayland or the compositor has no layer shell.
    static std::unique_ptr<LayerShell> find();
    ~LayerShell() override;

    // Makes `panel`, a top-level widget not shown yet, a layer surface in `corner` of the output
    // the compositor chooses; the room the bars leave on that output, empty when the compositor
    // did not say, and none when Qt gave the panel no surface to make one of.
    std::optional<QSize> open(QWidget& panel, PanelPlacement::Corner corner);
    // The panel's size, at first and as its content changes; no taller than the room.
    void resize(QSize size);

signals:
    // The compositor took the panel away, as when its output went.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    // Qt's window made its surface anew, or is about to destroy it.
    void platformSurfaceCreated();
    void platformSurfaceDestroyed();

private:
    struct Wayland;
    struct Surface;

    explicit LayerShell(std::unique_ptr<Wayland> globals);
    // Makes `menu`'s window a popup of `parent`'s surface, each time Qt makes its surface anew.
    void adopt(QWindow& menu, QWindow& parent, const QRect& geometry);
    // `geometry` is where Qt puts the menu, which its window learns only as it is shown.
    void giveRole(QWindow& menu, const QRect& geometry);
    // Drops the roles of `gone` and of the popups that hang from it.
    void forget(Surface& gone);
    void roundTrip();

    std::unique_ptr<Wayland> wayland;
    QPointer<QWindow> panelWindow;
};
