#include "accounts/FileSystem.h"
#include "commandline/Arguments.h"
#include "commandline/CachedEntries.h"
#include "commandline/Dispatch.h"
#include "commandline/FullProgram.h"
#include "commandline/HelpText.h"
#include "commandline/HistoryModule.h"
#include "commandline/HistoryOutput.h"
#include "commandline/NetworkModule.h"
#include "commandline/RenewalCheck.h"
#include "commandline/StatusLineMode.h"
#include "commandline/StatusLineSetup.h"
#include "commandline/TerminalModes.h"
#include "process/ExecutablePath.h"
#include "store/HiddenAccountFolders.h"
#include "store/SnapshotCache.h"
#include "store/StateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

// Runs without any application object, so it needs no display.
int renewalCheck() {
    QTextStream output(stdout);
    RenewalCheck::run(QDir::homePath(), FileSystem::local(), RenewalCheck::claudeRenewal(), output);
    return 0;
}

// A sentence on standard error, after the program's name.
void complain(const QString& sentence) {
    std::fputs(("spanwell: " + sentence + '\n').toLocal8Bit().constData(), stderr);
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

// The readings kept. A history not begun yet holds none and is not begun by reading it.
int history(const Mode& mode) {
    const QString path = StateFolder::historyFile();
    const QString home = QDir::homePath();
    const Instant since = Instant::now() - mode.sinceSeconds;
    QList<HistoryReading> readings;
    if (QFileInfo::exists(path)) {
        const std::optional<QList<HistoryReading>> read = HistoryModule::readings(
            path, since,
            mode.account ? HistoryOutput::folderNamed(*mode.account, home) : QString());
        if (!read) {
            complain(QStringLiteral("The history %1 could not be read.").arg(path));
            return 1;
        }
        readings = *read;
    }
    QByteArray output;
    switch (mode.historyFormat) {
    case Mode::HistoryFormat::csv:
        output = HistoryOutput::csv(readings);
        break;
    case Mode::HistoryFormat::json:
        output = HistoryOutput::json(readings);
        break;
    case Mode::HistoryFormat::text:
        output = HistoryOutput::table(readings, since, home, Calendar::current(), QLocale())
                     .toLocal8Bit();
        break;
    }
    std::fwrite(output.constData(), 1, size_t(output.size()), stdout);
    return 0;
}

// The child another run of the program started to work on the history for it: the job comes
// whole on standard input, the recent use it asks for goes to standard output.
int historyJob() {
    // Far more than a week of every limit of many accounts.
    constexpr qint64 largestJob = 64 * 1024 * 1024;
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return 1;
    const QByteArray job = input.read(largestJob + 1);
    if (job.size() > largestJob)
        return 1;
    const std::optional<QByteArray> answer = HistoryModule::doJob(job);
    if (!answer)
        return 1;
    return std::fwrite(answer->constData(), 1, size_t(answer->size()), stdout) ==
                       size_t(answer->size()) &&
                   std::fflush(stdout) == 0
               ? 0
               : 1;
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
    complain(problem + QStringLiteral(" See spanwell --help."));
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
    case Mode::Kind::history:
        return history(mode);
    case Mode::Kind::historyJob:
        return historyJob();
    case Mode::Kind::networkChild:
        return NetworkModule::serve(argc, argv);
    case Mode::Kind::misused:
        return misused(mode.problem);
    case Mode::Kind::refresh:
    case Mode::Kind::addAccount:
    case Mode::Kind::signInPicture:
    case Mode::Kind::iconFiles:
    case Mode::Kind::panelPicture:
    case Mode::Kind::normalStart:
        break;
    }
    return FullProgram::run(argc, argv, mode);
}
