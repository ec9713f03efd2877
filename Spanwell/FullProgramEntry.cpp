// The modes that reach beyond reading files: the pictures, the icon files, the tray program,
// and the terminal modes whose figures must be refreshed first. They live in a module of their
// own, which the executable loads only when one of them runs.

#include "BuildVersion.h"
#include "commandline/Arguments.h"
#include "commandline/Dispatch.h"
#include "commandline/FreshEntries.h"
#include "commandline/OffscreenPlatform.h"
#include "commandline/TerminalModes.h"
#include "pictures/PanelPicture.h"
#include "process/ExecutablePath.h"
#include "signin/SignInWindow.h"
#include "store/StoreServices.h"
#include "store/UserSettings.h"
#include "tray/FreedMemory.h"
#include "tray/GraphicalSession.h"
#include "tray/RefreshRequests.h"
#include "tray/SingleInstance.h"
#include "tray/SpanwellApp.h"
#include "tray/TerminationSignals.h"
#include "views/AppIcon.h"

#include <QApplication>
#include <QDir>
#include <QProcessEnvironment>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace {

// A sentence on standard error, after the program's name.
void complain(const QString& sentence) {
    std::fputs(("spanwell: " + sentence + '\n').toLocal8Bit().constData(), stderr);
}

// Draws into images only, so it needs no application object and no display at all.
int iconFiles(const QString& folder) {
    const RegularFile::Written written = AppIcon::write(folder);
    if (!written)
        complain(QStringLiteral("The icon files could not be written to %1: %2.")
                     .arg(folder, written.failure));
    return written ? 0 : 1;
}

int signInPicture(int& argc, char** argv, const Mode& mode) {
    OffscreenPlatform::chooseUnlessSet();
    QApplication application(argc, argv);
    const RegularFile::Written written = SignInWindow::picture(mode.phase, mode.path);
    if (!written)
        complain(QStringLiteral("The picture could not be written to %1: %2.")
                     .arg(mode.path, written.failure));
    return written ? 0 : 1;
}

// The tray program, once per user and home folder, with its sign-in window open when
// `addAccount`. `startAgain` is set when it ended to start afresh in a tray of the other kind.
int trayProgram(int& argc, char** argv, bool addAccount, bool& startAgain) {
    FreedMemory::shareArenas();
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("spanwell"));
    TerminationSignals::quitApplicationOnThem();
    SingleInstance instance(SingleInstance::pathFor(QDir::homePath()));
    switch (instance.claim(addAccount ? SingleInstance::Request::addAccount
                                      : SingleInstance::Request::show)) {
    case SingleInstance::Claim::forwarded:
        return 0;
    case SingleInstance::Claim::unreachable:
        complain(QStringLiteral("Spanwell is already running but does not answer."));
        return 1;
    case SingleInstance::Claim::refused:
        complain(instance.problem());
        return 1;
    case SingleInstance::Claim::first:
        if (!instance.problem().isEmpty())
            complain(QStringLiteral("Other runs cannot reach this one until it can listen, "
                                    "which it keeps trying: ") +
                     instance.problem());
        break;
    }
    UserSettings settings(UserSettings::defaultPath());
    SpanwellApp controller(settings);
    QObject::connect(&instance, &SingleInstance::showRequested, &controller,
                     &SpanwellApp::showPanel);
    QObject::connect(&instance, &SingleInstance::addAccountRequested, &controller,
                     &SpanwellApp::addAccount);
    RefreshRequests refreshRequests(controller.store(),
                                    [&instance](quint64 ticket) { instance.refreshEnded(ticket); });
    QObject::connect(&instance, &SingleInstance::refreshRequested, &refreshRequests,
                     &RefreshRequests::ask);
    QObject::connect(&controller, &SpanwellApp::trayOfOtherKind, &application, [&startAgain] {
        startAgain = true;
        QCoreApplication::quit();
    });
    controller.start();
    if (addAccount)
        controller.addAccount();
    return application.exec();
}

// Runs the tray program again in this process, as it was started, once everything of this run
// is gone, its lock and socket among them; returns only when that fails.
void execAgain() {
    QList<QByteArray> arguments;
    for (const QString& argument : Arguments::list())
        // The sign-in window it was asked for is open already.
        if (argument != QLatin1String("--add-account") && argument != QLatin1String("-add-account"))
            arguments.append(argument.toLocal8Bit());
    std::vector<char*> pointers;
    for (QByteArray& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    const QByteArray program = ExecutablePath::get();
    ::execv(program.constData(), pointers.data());
    complain(QStringLiteral("Spanwell could not start again: ") +
             QString::fromLocal8Bit(std::strerror(errno)));
}

// Without a desktop to show on it says so and ends, rather than letting Qt abort.
int normalStart(int& argc, char** argv, bool addAccount) {
    if (!GraphicalSession::isAvailable(QProcessEnvironment::systemEnvironment(),
                                       Arguments::list())) {
        std::fputs(GraphicalSession::missingMessage().toLocal8Bit().constData(), stderr);
        return 1;
    }
    bool startAgain = false;
    const int status = trayProgram(argc, argv, addAccount, startAgain);
    if (startAgain)
        execAgain();
    return status;
}

// Through the tray program when it runs, so that its panel shows the new figures too.
int refreshNow() {
    constexpr int waitMilliseconds = 60 * 1000;
    const QString path = SingleInstance::pathFor(QDir::homePath());
    switch (SingleInstance::askToRefresh(path, waitMilliseconds)) {
    case SingleInstance::RefreshAnswer::refreshed:
        return 0;
    case SingleInstance::RefreshAnswer::notRunning: {
        UserSettings settings(UserSettings::defaultPath());
        FreshEntries::refreshed(StoreServices::real(), settings);
        return 0;
    }
    case SingleInstance::RefreshAnswer::noAnswer:
        complain(QStringLiteral("Spanwell is running but does not answer."));
        break;
    case SingleInstance::RefreshAnswer::ended:
        complain(QStringLiteral("The running Spanwell ended before its refresh did."));
        break;
    case SingleInstance::RefreshAnswer::timedOut:
        complain(QStringLiteral("The running Spanwell did not finish a refresh within a minute."));
        break;
    case SingleInstance::RefreshAnswer::refused:
        complain(SingleInstance::refusal(path));
        break;
    }
    return 1;
}

int figures(const Mode& mode) {
    const StoreServices services = StoreServices::real();
    UserSettings settings(UserSettings::defaultPath());
    const QList<Entry> entries = FreshEntries::get(services, settings, mode.maxAgeSeconds);
    return TerminalModes::finish(
        TerminalModes::figures(mode, entries, services.clock(),
                               TerminalModes::surroundingsOf(services.home, *services.fileSystem)));
}

} // namespace

// What the executable compares with its own before it calls the entry.
extern "C" Q_DECL_EXPORT const char* const spanwellModuleVersion = BuildVersion::identity;

// The module's one entry, looked up by name when it is loaded.
extern "C" Q_DECL_EXPORT int spanwellFullProgram(int* argc, char** argv, const Mode* mode) {
    // The module keeps its own copy of the command line.
    Arguments::capture(*argc, argv);
    switch (mode->kind) {
    case Mode::Kind::status:
    case Mode::Kind::best:
        return figures(*mode);
    case Mode::Kind::refresh:
        return refreshNow();
    case Mode::Kind::signInPicture:
        return signInPicture(*argc, argv, *mode);
    case Mode::Kind::iconFiles:
        return iconFiles(mode->path);
    case Mode::Kind::panelPicture:
        return PanelPicture::run(*argc, argv, *mode);
    case Mode::Kind::normalStart:
    case Mode::Kind::addAccount:
        return normalStart(*argc, argv, mode->kind == Mode::Kind::addAccount);
    // The executable answers these itself.
    case Mode::Kind::history:
    case Mode::Kind::historyJob:
    case Mode::Kind::networkChild:
    case Mode::Kind::renewalCheck:
    case Mode::Kind::statusLine:
    case Mode::Kind::statusLineOn:
    case Mode::Kind::statusLineOff:
    case Mode::Kind::help:
    case Mode::Kind::version:
    case Mode::Kind::misused:
        break;
    }
    complain(QStringLiteral("This part of Spanwell runs no such mode."));
    return 2;
}
