#include "store/EntryStatus.h"

#include "model/Format.h"

namespace EntryStatus {

QString MoneyMeter::figure() const {
    const QString amounts = Format::moneyUse(use);
    if (!amounts.isEmpty())
        return amounts;
    const std::optional<double> share = use.percent();
    return share ? Format::percent(*share) : QString();
}

std::optional<MoneyMeter> spendMeter(const Entry& entry) {
    if (!entry.snapshot || !entry.snapshot->spend)
        return std::nullopt;
    MoneyMeter meter{QStringLiteral("Spend"), entry.snapshot->spend->use()};
    return meter.figure().isEmpty() ? std::nullopt : std::optional(meter);
}

std::optional<MoneyMeter> extraUsageMeter(const Entry& entry) {
    if (!entry.snapshot || !entry.snapshot->extraUsage || !entry.snapshot->extraUsage->isEnabled)
        return std::nullopt;
    return MoneyMeter{QStringLiteral("Extra usage"), entry.snapshot->extraUsage->use()};
}

QList<LimitReading> currentLimits(const Entry& entry, Instant now) {
    QList<LimitReading> readings;
    if (!entry.snapshot)
        return readings;
    for (const LimitReading& limit : entry.snapshot->limits)
        readings.append(limit.current(now));
    return readings;
}

AccountStatus verdict(const Entry& entry, Instant now) {
    if (entry.problem && entry.problem->needsSignIn())
        return {AccountStatus::Level::blocked, QStringLiteral("Sign in again")};
    if (!entry.snapshot)
        return AccountStatus::make({}, now);
    return AccountStatus::make(entry.snapshot->limits, now, entry.snapshot->spend);
}

QString problemText(const FetchProblem& problem, bool hasSnapshot, Instant now,
                    const Calendar& calendar, const QLocale& locale) {
    switch (problem.kind()) {
    case FetchProblem::Kind::failed:
        return problem.message();
    case FetchProblem::Kind::noCredential:
        return QStringLiteral("No saved sign-in for this folder.");
    case FetchProblem::Kind::rateLimited:
        return QStringLiteral("Rate limited; next check at ") +
               Format::clockText(*problem.nextCheck(), now, calendar, locale);
    case FetchProblem::Kind::signInExpired:
        break;
    }
    return hasSnapshot ? QStringLiteral("Sign-in lapsed. Showing the last known numbers.")
                       : QStringLiteral("Sign-in lapsed.");
}

QString extraUsageNote(const Entry& entry, const AccountStatus& status) {
    const std::optional<MoneyMeter> extra = extraUsageMeter(entry);
    if (!extra ||
        (status.level != AccountStatus::Level::blocked &&
         status.level != AccountStatus::Level::partial) ||
        (entry.problem && entry.problem->needsSignIn()))
        return {};
    const std::optional<Money> left = extra->use.left();
    return QStringLiteral("Extra usage on") +
           (left ? QStringLiteral(" \u00B7 ") + Format::money(*left) + QStringLiteral(" left")
                 : QString());
}

} // namespace EntryStatus
