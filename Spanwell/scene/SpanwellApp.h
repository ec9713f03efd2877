#pragma once

#include "views/PanelServices.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>

#include <memory>

class MenuBarLabel;
class PanelView;
class QTimer;
class Store;

// The tray program: the one store for the life of the process, the tray item with its label,
// and the panel that opens from the item as a popup beside it. Where the desktop offers no
// tray the panel is an ordinary window instead, so the program is never out of sight.
class SpanwellApp : public QObject {
    Q_OBJECT

public:
    explicit SpanwellApp(QObject* parent = nullptr);
    ~SpanwellApp() override;

    Store& store() { return *appStore; }

    // Shows the label, which starts the store; without a tray, opens the panel window at once.
    void start();
    // Opens the panel, or brings it forward when it is open already.
    void showPanel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void activated(QSystemTrayIcon::ActivationReason reason);
    void closePopup();
    void fit();
    // Beside the tray item, or at the pointer when the tray does not tell where its item is,
    // and always inside the screen's free area.
    void place();
    PanelServices services();

    std::unique_ptr<Store> appStore;
    QSystemTrayIcon* item;
    MenuBarLabel* label;
    QPointer<PanelView> panel;
    bool panelIsPopup = false;
    QTimer* tick;
    QElapsedTimer sincePopupClosed;
};
