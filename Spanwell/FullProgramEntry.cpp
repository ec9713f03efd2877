// The modes that reach beyond reading files: the pictures, the icon files, the tray program,
// and the terminal modes whose figures must be refreshed first. They live in a module of their
// own, which the executable loads only when one of them runs.

#include "accounts/Discovery.h"
#include "commandline/Arguments.h"
#include "commandline/Dispatch.h"
#include "commandline/FreshEntries.h"
#include "commandline/OffscreenPlatform.h"
#include "commandline/TerminalModes.h"
#include "pictures/PanelPicture.h"
#include "signin/SignInWindow.h"
#include "store/StoreServices.h"
#include "tray/GraphicalSession.h"
#include "tray/RefreshRequests.h"
#include "tray/SingleInstance.h"
#include "tray/SpanwellApp.h"
#include "tray/TerminationSignals.h"
#include "views/AppIcon.h"

#include <QApplication>
#include <QDir>
#include <QProcessEnvironment>

#include <cstdio>

namespace {

// Draws into images only, so it needs no application object and no display at all.
int iconFiles(const QString& folder) {
    return AppIcon::write(folder) ? 0 : 1;
}

int signInPicture(int& argc, char** argv, const Mode& mode) {
    OffscreenPlatform::chooseUnlessSet();
    QApplication application(argc, argv);
    return SignInWindow::picture(mode.phase, mode.path) ? 0 : 1;
}

// The tray program, once per user and home folder. Without a desktop to show on it says so
// and ends, rather than letting Qt abort.
int normalStart(int& argc, char** argv) {
    if (!GraphicalSession::isAvailable(QProcessEnvironment::systemEnvironment(),
                                       Arguments::list())) {
        std::fputs(GraphicalSession::missingMessage().toLocal8Bit().constData(), stderr);
        return 1;
    }
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("spanwell"));
    TerminationSignals::quitApplicationOnThem();
    SingleInstance instance(SingleInstance::nameFor(QDir::homePath()));
    switch (instance.claim()) {
    case SingleInstance::Claim::forwarded:
        return 0;
    case SingleInstance::Claim::unreachable:
        std::fputs("spanwell: Spanwell is already running but does not answer.\n", stderr);
        return 1;
    case SingleInstance::Claim::first:
        break;
    }
    SpanwellApp scene;
    QObject::connect(&instance, &SingleInstance::showRequested, &scene, &SpanwellApp::showPanel);
    RefreshRequests refreshRequests(scene.store(),
                                    [&instance](quint64 ticket) { instance.refreshEnded(ticket); });
    QObject::connect(&instance, &SingleInstance::refreshRequested, &refreshRequests,
                     &RefreshRequests::ask);
    scene.start();
    return application.exec();
}

// Through the tray program when it runs, so that its panel shows the new figures too.
int refreshNow() {
    constexpr int waitMilliseconds = 60 * 1000;
    switch (
        SingleInstance::askToRefresh(SingleInstance::nameFor(QDir::homePath()), waitMilliseconds)) {
    case SingleInstance::RefreshAnswer::refreshed:
        return 0;
    case SingleInstance::RefreshAnswer::noAnswer:
        std::fputs("spanwell: The running Spanwell did not finish a refresh within a minute.\n",
                   stderr);
        return 1;
    case SingleInstance::RefreshAnswer::notRunning:
        break;
    }
    FreshEntries::refreshed(StoreServices::real());
    return 0;
}

int figures(const Mode& mode) {
    const StoreServices services = StoreServices::real();
    const QList<Entry> entries = FreshEntries::get(services, mode.maxAgeSeconds);
    return TerminalModes::finish(TerminalModes::figures(
        mode, entries, services.clock(), services.home,
        Discovery::unreadableFolderNames(services.home, *services.fileSystem)));
}

} // namespace

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
        return PanelPicture::run(*argc, argv, mode->path);
    default:
        break;
    }
    return normalStart(*argc, argv);
}
