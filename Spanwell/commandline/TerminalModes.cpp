#include "commandline/TerminalModes.h"

#include "accounts/Discovery.h"
#include "commandline/ArgosMenu.h"
#include "commandline/BestAccount.h"
#include "commandline/StatusJson.h"
#include "commandline/StatusTable.h"
#include "commandline/WaybarLine.h"
#include "model/Format.h"
#include "model/PrintableText.h"
#include "process/ExecutablePath.h"

#include <QFile>

#include <cstdio>

namespace TerminalModes {

Surroundings surroundingsOf(const QString& home, const FileSystem& fileSystem) {
    return {home, Discovery::unreadableFolderNames(home, fileSystem),
            TerminalStyle::choose(TerminalStyle::ofStandardOutput()),
            QFile::decodeName(ExecutablePath::get())};
}

Outcome status(const Mode& mode, const QList<Entry>& entries, Instant now,
               const Surroundings& surroundings) {
    switch (mode.statusFormat) {
    case Mode::StatusFormat::json:
        return {0, StatusJson::document(entries, now, surroundings.home), {}};
    case Mode::StatusFormat::waybar:
        return {0, WaybarLine::line(entries, now), {}};
    case Mode::StatusFormat::argos:
        return {0, ArgosMenu::text(entries, now, surroundings.program), {}};
    case Mode::StatusFormat::line:
        return {0, WaybarLine::summary(entries, now).toUtf8() + '\n', {}};
    case Mode::StatusFormat::text:
        break;
    }
    return {0,
            (StatusTable::text(entries, now, surroundings.table) +
             StatusTable::unreadableFolders(surroundings.unreadableFolders))
                .toUtf8(),
            {}};
}

Outcome best(const Mode& mode, const QList<Entry>& entries, Instant now) {
    const std::optional<Account> account = BestAccount::choose(entries, now);
    if (!account) {
        QString sentence = QStringLiteral("spanwell: No account is usable now.");
        if (const auto back = BestAccount::firstBack(entries, now))
            sentence += QLatin1Char(' ') + PrintableText::escaped(back->first.email) +
                        QStringLiteral(" is back in ") + Format::countdown(back->second, now) +
                        QLatin1Char('.');
        return {1, {}, sentence.toUtf8() + '\n'};
    }
    // A folder is printed as it is or not at all: its escaped form would name another folder,
    // where Claude Code would start afresh.
    const QString printable = PrintableText::escaped(account->configDir);
    if (printable != account->configDir)
        return {1,
                {},
                "spanwell: The folder of the account best usable now, " + printable.toUtf8() +
                    ", has characters in its name that cannot be printed as they are.\n"};
    const QString line = mode.printCommand ? BestAccount::command(*account) : printable;
    return {0, line.toUtf8() + '\n', {}};
}

Outcome figures(const Mode& mode, const QList<Entry>& entries, Instant now,
                const Surroundings& surroundings) {
    return mode.kind == Mode::Kind::best ? best(mode, entries, now)
                                         : status(mode, entries, now, surroundings);
}

int finish(const Outcome& outcome) {
    std::fwrite(outcome.output.constData(), 1, size_t(outcome.output.size()), stdout);
    std::fwrite(outcome.errors.constData(), 1, size_t(outcome.errors.size()), stderr);
    return outcome.exitStatus;
}

} // namespace TerminalModes
