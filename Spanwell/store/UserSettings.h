#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// The user's settings: the hidden accounts, the tray icon's style, the notifications.
namespace UserSettings {

// The INI file at `path`, so that a test never touches the user's own; the platform's settings
// store for organization and application "Spanwell" when `path` is empty.
std::unique_ptr<QSettings> open(const QString& path);

} // namespace UserSettings
