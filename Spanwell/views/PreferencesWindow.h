#pragma once

#include "views/PanelServices.h"

#include <QWidget>

// The choices that outlast a menu: how often the figures are refreshed, from which share of a
// limit the notification that it is nearly used up comes, the tray icon's colours and which
// notifications come. Each change is made at once, through the services; Escape or Close ends
// the window.
class PreferencesWindow : public QWidget {
    Q_OBJECT

public:
    // The refresh intervals offered, in minutes, and the shares from which a limit may be
    // announced as nearly used up.
    static const QList<int> refreshMinutes;
    static constexpr int leastNearlyUsedUp = 50;
    static constexpr int mostNearlyUsedUp = 99;

    explicit PreferencesWindow(const PanelServices& services, QWidget* parent = nullptr);

    // Opens the one window, or brings it forward when it is open.
    static void show(const PanelServices& services);
};
