#include "accounts/FileSystem.h"
#include "commandline/Arguments.h"
#include "commandline/Dispatch.h"
#include "commandline/FreshEntries.h"
#include "commandline/HelpText.h"
#include "commandline/OffscreenPlatform.h"
#include "commandline/RenewalCheck.h"
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
#include <QTextStream>

#include <cstdio>

namespace {

// Runs without any application object, so it needs no display.
int renewalCheck() {
    QTextStream output(stdout);
    RenewalCheck::run(QDir::homePath(), FileSystem::local(), RenewalCheck::claudeRenewal(), output);
    return 0;
}

// Draws into images only, so it needs no application object and no display at all.
int iconFiles(const QString& folder) {
    return AppIcon::write(folder) ? 0 : 1;
}

int signInPicture(int argc, char** argv, const Mode& mode) {
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

// Texts of the program's own, written as they are.
int print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

int finish(const TerminalModes::Outcome& outcome) {
    std::fwrite(outcome.output.constData(), 1, size_t(outcome.output.size()), stdout);
    std::fwrite(outcome.errors.constData(), 1, size_t(outcome.errors.size()), stderr);
    return outcome.exitStatus;
}

int misused(const QString& problem) {
    std::fputs(("spanwell: " + problem + QStringLiteral(" See spanwell --help.\n")).toLocal8Bit(),
               stderr);
    return 2;
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

} // namespace

int main(int argc, char** argv) {
    Arguments::capture(argc, argv);
    const Mode mode = Dispatch::choose(Arguments::list());
    switch (mode.kind) {
    case Mode::Kind::renewalCheck:
        return renewalCheck();
    case Mode::Kind::signInPicture:
        return signInPicture(argc, argv, mode);
    case Mode::Kind::iconFiles:
        return iconFiles(mode.path);
    case Mode::Kind::panelPicture:
        return PanelPicture::run(argc, argv, mode.path);
    case Mode::Kind::help:
        return print(HelpText::usage());
    case Mode::Kind::version:
        return print(HelpText::version());
    case Mode::Kind::status:
        return finish(TerminalModes::status(mode, StoreServices::real()));
    case Mode::Kind::best:
        return finish(TerminalModes::best(mode, StoreServices::real()));
    case Mode::Kind::refresh:
        return refreshNow();
    case Mode::Kind::misused:
        return misused(mode.problem);
    case Mode::Kind::normalStart:
        break;
    }
    return normalStart(argc, argv);
}
