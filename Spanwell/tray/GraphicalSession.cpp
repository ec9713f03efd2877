#include "tray/GraphicalSession.h"

#include <QtGlobal>

namespace GraphicalSession {

bool isAvailable(const QProcessEnvironment& environment, const QStringList& arguments) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!environment.value(QLatin1String(name)).isEmpty())
            return true;
    return arguments.contains(QStringLiteral("-platform"));
#else
    Q_UNUSED(environment);
    Q_UNUSED(arguments);
    return true;
#endif
}

bool isXWayland(const QProcessEnvironment& environment, const QString& platformName) {
    return platformName == QLatin1String("xcb") &&
           (!environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
            environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland"));
}

QString missingMessage() {
    return QStringLiteral(
        "spanwell: no graphical session was found (neither DISPLAY nor WAYLAND_DISPLAY is set), "
        "so the tray item cannot be shown; spanwell --snapshot FILE --demo draws the panel to a "
        "file instead.\n");
}

} // namespace GraphicalSession
