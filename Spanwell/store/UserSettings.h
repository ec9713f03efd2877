#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <memory>

// The user's settings: the hidden accounts, the tray icon's style, the notifications.
namespace UserSettings {

// $XDG_CONFIG_HOME/Spanwell/Spanwell.conf (default ~/.config/Spanwell/Spanwell.conf).
QString defaultPath();

// What the settings file holds, read like every file from outside: only a regular file of at
// most 1 MiB (links followed). Anything else there (a named pipe, a device, a larger file, one
// that cannot be read) is left alone: its settings are the defaults and it is never written
// over, which the log says. Missing, or a link to no such file, it starts empty and may be
// written.
struct Stored {
    QByteArray contents;
    bool mayWrite = true;
};
Stored read(const QString& path);

// The settings in the INI file at `path`, so that a test never touches the user's own; at
// `defaultPath()` when `path` is empty. They are read once, as `read` says, into a private copy;
// when the object goes, changed settings replace the file whole (a link in its place is
// replaced, never followed), unless it is to be left alone.
std::unique_ptr<QSettings> open(const QString& path);

} // namespace UserSettings
