#include "commandline/TerminalModes.h"

#include "commandline/BestAccount.h"
#include "commandline/StatusJson.h"
#include "commandline/StatusTable.h"
#include "commandline/WaybarLine.h"
#include "model/PrintableText.h"

#include <cstdio>

namespace TerminalModes {

Outcome status(const Mode& mode, const QList<Entry>& entries, Instant now, const QString& home,
               const QStringList& unreadableFolders) {
    switch (mode.statusFormat) {
    case Mode::StatusFormat::json:
        return {0, StatusJson::document(entries, now, home), {}};
    case Mode::StatusFormat::waybar:
        return {0, WaybarLine::line(entries, now), {}};
    case Mode::StatusFormat::text:
        break;
    }
    return {0,
            (StatusTable::text(entries, now) + StatusTable::unreadableFolders(unreadableFolders))
                .toUtf8(),
            {}};
}

Outcome best(const Mode& mode, const QList<Entry>& entries, Instant now) {
    const std::optional<Account> account = BestAccount::choose(entries, now);
    if (!account)
        return {1, {}, QByteArrayLiteral("spanwell: No account is usable now.\n")};
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

Outcome figures(const Mode& mode, const QList<Entry>& entries, Instant now, const QString& home,
                const QStringList& unreadableFolders) {
    return mode.kind == Mode::Kind::best ? best(mode, entries, now)
                                         : status(mode, entries, now, home, unreadableFolders);
}

int finish(const Outcome& outcome) {
    std::fwrite(outcome.output.constData(), 1, size_t(outcome.output.size()), stdout);
    std::fwrite(outcome.errors.constData(), 1, size_t(outcome.errors.size()), stderr);
    return outcome.exitStatus;
}

} // namespace TerminalModes
