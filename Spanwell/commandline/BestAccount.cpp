#include "commandline/BestAccount.h"

#include "model/ShellQuoting.h"
#include "store/EntryStatus.h"

#include <tuple>

namespace {

double sessionUse(const QList<LimitReading>& readings) {
    for (const LimitReading& reading : readings)
        if (reading.title == LimitTitle::session)
            return reading.percent;
    return 0;
}

} // namespace

namespace BestAccount {

std::optional<Account> choose(const QList<Entry>& entries, Instant now) {
    std::optional<Account> best;
    std::tuple<bool, double> bestRank;
    for (const Entry& entry : entries) {
        const AccountStatus verdict = EntryStatus::verdict(entry, now);
        if (!entry.snapshot || !verdict.isUsable())
            continue;
        const std::tuple<bool, double> rank{verdict.level == AccountStatus::Level::partial,
                                            sessionUse(EntryStatus::currentLimits(entry, now))};
        if (!best || rank < bestRank) {
            best = entry.account;
            bestRank = rank;
        }
    }
    return best;
}

QString command(const Account& account) {
    if (account.isDefault())
        return QStringLiteral("claude");
    return QStringLiteral("CLAUDE_CONFIG_DIR=") + ShellQuoting::quoted(account.configDir) +
           QStringLiteral(" claude");
}

} // namespace BestAccount
