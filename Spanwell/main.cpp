#include "accounts/FileSystem.h"
#include "commandline/Arguments.h"
#include "commandline/CachedEntries.h"
#include "commandline/Dispatch.h"
#include "commandline/ExecutablePath.h"
#include "commandline/FullProgram.h"
#include "commandline/HelpText.h"
#include "commandline/HistoryModule.h"
#include "commandline/RenewalCheck.h"
#include "commandline/StatusLineMode.h"
#include "commandline/StatusLineSetup.h"
#include "commandline/TerminalModes.h"
#include "store/HiddenAccountFolders.h"
#include "store/SnapshotCache.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

namespace {

// Runs without any application object, so it needs no display.
int renewalCheck() {
    QTextStream output(stdout);
    RenewalCheck::run(QDir::homePath(), FileSystem::local(), RenewalCheck::claudeRenewal(), output);
    return 0;
}

// Texts of the program's own, written as they are.
int print(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

// From the cache when its figures are fresh enough, which needs nothing but files; else by the
// full program, which refreshes them first.
int figures(int& argc, char** argv, const Mode& mode) {
    const QString home = QDir::homePath();
    const UserSettings settings(UserSettings::defaultPath());
    const QList<Entry> entries = CachedEntries::read(
        home, FileSystem::local(), SnapshotCache::location(), HiddenAccountFolders::read(settings));
    const Instant now = Instant::now();
    if (!CachedEntries::areFresh(entries, now, mode.maxAgeSeconds))
        return FullProgram::run(argc, argv, mode);
    return TerminalModes::finish(TerminalModes::figures(
        mode, entries, now, TerminalModes::surroundingsOf(home, FileSystem::local())));
}

// Claude Code shows what it prints; it never refreshes, so it needs nothing but files, and the
// history's module when it has new figures, once the line is out.
int statusLine() {
    const StatusLineMode::Surroundings surroundings = StatusLineMode::Surroundings::ofThisProcess();
    const StatusLineMode::Outcome outcome =
        StatusLineMode::run(StatusLineMode::readStandardInput(), surroundings, FileSystem::local());
    std::fwrite(outcome.line.constData(), 1, size_t(outcome.line.size()), stdout);
    std::fflush(stdout);
    HistoryModule::keep(surroundings.historyPath, outcome.readings, surroundings.now,
                        surroundings.historyDays);
    return 0;
}

int statusLineSetup(bool install) {
    const QString home = QDir::homePath();
    return TerminalModes::finish(StatusLineSetup::run(
        install,
        CachedEntries::trackedAccounts(
            home, FileSystem::local(),
            HiddenAccountFolders::read(UserSettings(UserSettings::defaultPath()))),
        home, QFile::decodeName(ExecutablePath::get())));
}

int misused(const QString& problem) {
    std::fputs(("spanwell: " + problem + QStringLiteral(" See spanwell --help.\n")).toLocal8Bit(),
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    Arguments::capture(argc, argv);
    const Mode mode = Dispatch::choose(Arguments::list());
    switch (mode.kind) {
    case Mode::Kind::renewalCheck:
        return renewalCheck();
    case Mode::Kind::help:
        return print(HelpText::usage());
    case Mode::Kind::version:
        return print(HelpText::version());
    case Mode::Kind::status:
    case Mode::Kind::best:
        return figures(argc, argv, mode);
    case Mode::Kind::statusLine:
        return statusLine();
    case Mode::Kind::statusLineOn:
    case Mode::Kind::statusLineOff:
        return statusLineSetup(mode.kind == Mode::Kind::statusLineOn);
    case Mode::Kind::misused:
        return misused(mode.problem);
    case Mode::Kind::refresh:
    case Mode::Kind::addAccount:
    case Mode::Kind::signInPicture:
    case Mode::Kind::iconFiles:
    case Mode::Kind::panelPicture:
    case Mode::Kind::normalStart:
    case Mode::Kind::history:
        break;
    }
    return FullProgram::run(argc, argv, mode);
}
