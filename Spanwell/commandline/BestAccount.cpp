#include "commandline/BestAccount.h"

#include "model/ShellQuoting.h"
#include "store/EntryStatus.h"

#include <algorithm>
#include <tuple>

namespace {

double sessionUse(const QList<LimitReading>& readings) {
    for (const LimitReading& reading : readings)
        if (reading.title == LimitTitle::session)
            return reading.percent;
    return 0;
}

// When the limits that block the account reset; absent when one of them tells no reset, or
// nothing in its limits blocks it (a lapsed sign-in, a seat's spend).
std::optional<Instant> backAt(const Entry& entry, Instant now) {
    if (entry.problem && entry.problem->needsSignIn())
        return std::nullopt;
    std::optional<Instant> latest;
    for (const LimitReading& reading : EntryStatus::currentLimits(entry, now)) {
        if (!reading.coversWholeAccount() || reading.percent < usedUpPercent)
            continue;
        if (!reading.resetsAt)
            return std::nullopt;
        latest = std::max(latest.value_or(*reading.resetsAt), *reading.resetsAt);
    }
    return latest;
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

std::optional<std::pair<Account, Instant>> firstBack(const QList<Entry>& entries, Instant now) {
    std::optional<std::pair<Account, Instant>> first;
    for (const Entry& entry : entries)
        if (const std::optional<Instant> at = backAt(entry, now);
            at && (!first || *at < first->second))
            first = std::pair(entry.account, *at);
    return first;
}

QString command(const Account& account) {
    if (account.isDefault())
        return QStringLiteral("claude");
    return QStringLiteral("CLAUDE_CONFIG_DIR=") + ShellQuoting::quoted(account.configDir) +
           QStringLiteral(" claude");
}

} // namespace BestAccount
