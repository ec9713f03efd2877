#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

// The spanwell executable beside the test program, run in an environment of the test's choice.
namespace SpanwellProcess {

struct Finished {
    // -1 for a crash, and for a run killed at its time limit.
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

inline QString path() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/spanwell");
}

// The test's own environment with `home` as the home folder, no display, no chosen platform or
// desktop, and the user's data and settings folders inside the home folder; with the usage
// service and the update feed at `serviceOrigin` when one is given.
inline QProcessEnvironment environment(const QString& home, const QString& serviceOrigin = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    for (const char* name :
         {"QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME",
          "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CURRENT_DESKTOP"})
        environment.remove(QLatin1String(name));
    if (!serviceOrigin.isEmpty()) {
        environment.insert(QStringLiteral("SPANWELL_API_ORIGIN"), serviceOrigin);
        environment.insert(QStringLiteral("SPANWELL_UPDATE_FEED"),
                           serviceOrigin + QStringLiteral("/version.json"));
    }
    return environment;
}

inline Finished run(const QStringList& arguments, const QProcessEnvironment& environment,
                    int timeoutMilliseconds = 30000) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(path(), arguments);
    Finished finished;
    if (!process.waitForFinished(timeoutMilliseconds)) {
        process.kill();
        process.waitForFinished();
    }
    if (process.exitStatus() == QProcess::NormalExit)
        finished.exitCode = process.exitCode();
    finished.output = process.readAllStandardOutput();
    finished.errors = process.readAllStandardError();
    return finished;
}

} // namespace SpanwellProcess
