#include "store/EntryStatus.h"

namespace EntryStatus {

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
    return AccountStatus::make(entry.snapshot ? entry.snapshot->limits : QList<LimitReading>(),
                               now);
}

QString problemText(const FetchProblem& problem, bool hasSnapshot) {
    switch (problem.kind()) {
    case FetchProblem::Kind::failed:
        return problem.message();
    case FetchProblem::Kind::noCredential:
        return QStringLiteral("No saved sign-in for this folder.");
    case FetchProblem::Kind::signInExpired:
        break;
    }
    return hasSnapshot ? QStringLiteral("Sign-in lapsed. Showing the last known numbers.")
                       : QStringLiteral("Sign-in lapsed.");
}

} // namespace EntryStatus
