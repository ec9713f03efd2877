#pragma once

#include "store/UserSettings.h"

#include <QWidget>

// The choices that outlast a menu: how often the figures are refreshed, from which share of a
// limit the notification that it is nearly used up comes, how many days the history keeps its
// readings, the tray icon's colours and which notifications come. Each change is written to
// `settings` at once, which outlive the window; Escape or Close ends the window.
class PreferencesWindow : public QWidget {
    Q_OBJECT

public:
    explicit PreferencesWindow(UserSettings& settings, QWidget* parent = nullptr);

    // Opens the one window, or brings it forward when it is open.
    static void show(UserSettings& settings);
};
