#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Whether the tray program has a desktop to show on. Asked before the application object is
// made, because Qt ends the process when it finds no platform to draw on.
namespace GraphicalSession {

// True when a display server is named (DISPLAY or WAYLAND_DISPLAY) or the user chose a Qt
// platform (QT_QPA_PLATFORM, or -platform on the command line). Systems without such
// variables always have one.
bool isAvailable(const QProcessEnvironment& environment, const QStringList& arguments);

// True when Qt draws through X11 (`platformName` "xcb") in a Wayland session, on XWayland,
// where the X pointer is not where the user last clicked the compositor's own surfaces.
bool isXWayland(const QProcessEnvironment& environment, const QString& platformName);

// The one line printed instead of starting, with its line feed.
QString missingMessage();

} // namespace GraphicalSession
