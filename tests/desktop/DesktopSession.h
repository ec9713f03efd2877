#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

// A desktop of the test's own: an X server on a display no other run uses, a session bus of its
// own, and the programs the test starts there. Everything it started ends when it goes, also
// when the test fails half-way, and also when the test program itself dies.
class DesktopSession {
public:
    DesktopSession();
    ~DesktopSession();
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // Whether the X server and the bus came up.
    bool isReady() const { return !display.isEmpty() && !busAddress.isEmpty(); }

    // The session's display and bus, and the program's environment for `home` and the service
    // at `serviceOrigin`.
    QProcessEnvironment environment(const QString& home, const QString& serviceOrigin = {}) const;
    // Starts a program that runs until the session ends, its arguments split at spaces, in the
    // session's environment when none is given.
    QProcess* start(const QString& program, const QString& arguments = {},
                    QProcessEnvironment environment = {});
    // Asks the program to end, and kills it if it has not within a few seconds.
    static void stop(QProcess& process);
    // Runs xdotool on the session's display to its end, its arguments split at spaces; its
    // standard output.
    QByteArray xdotool(const QString& arguments) const;

    // Where the mapped windows of `windowClass` are on the screen.
    QList<QRect> windows(const QString& windowClass) const;
    QDBusConnection bus() const;

private:
    QString display;
    QString busAddress;
    QList<QProcess*> started;
};
