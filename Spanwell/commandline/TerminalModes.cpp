#include "commandline/TerminalModes.h"

#include "commandline/BestAccount.h"
#include "commandline/FreshEntries.h"
#include "commandline/StatusJson.h"
#include "commandline/StatusTable.h"
#include "commandline/WaybarLine.h"
#include "model/PrintableText.h"

namespace TerminalModes {

Outcome status(const Mode& mode, const StoreServices& services) {
    const QList<Entry> entries = FreshEntries::get(services, mode.maxAgeSeconds);
    const Instant now = services.clock();
    switch (mode.statusFormat) {
    case Mode::StatusFormat::json:
        return {0, StatusJson::document(entries, now, services.home), {}};
    case Mode::StatusFormat::waybar:
        return {0, WaybarLine::line(entries, now), {}};
    case Mode::StatusFormat::text:
        break;
    }
    return {0, StatusTable::text(entries, now).toUtf8(), {}};
}

Outcome best(const Mode& mode, const StoreServices& services) {
    const QList<Entry> entries = FreshEntries::get(services, mode.maxAgeSeconds);
    const std::optional<Account> account = BestAccount::choose(entries, services.clock());
    if (!account)
        return {1, {}, QByteArrayLiteral("spanwell: No account is usable now.\n")};
    const QString line = mode.printCommand ? BestAccount::command(*account)
                                           : PrintableText::escaped(account->configDir);
    return {0, line.toUtf8() + '\n', {}};
}

} // namespace TerminalModes
