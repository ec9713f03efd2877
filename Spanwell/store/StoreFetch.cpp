#include "store/Store.h"

#include "model/PlanLabel.h"
#include "service/RetryAfter.h"

#include <algorithm>

namespace {

constexpr double credentialTimeoutSeconds = 8;
constexpr double renewalTimeoutSeconds = 30;
constexpr int tooManyRequests = 429;
// A 429 without a time of its own pauses the account's usage requests this long at first,
// twice as long after each further one, up to the longest.
constexpr double firstPauseSeconds = 300;
constexpr double longestPauseSeconds = 3600;
// A longer wait asked for is cut to this, and a pause stored with a clock that ran ahead no
// longer holds: an account is never left unasked for days.
constexpr double longestHonouredPauseSeconds = 86400;

FetchProblem rateLimited(const UsageClient::Failure& failure,
                         const std::optional<FetchProblem>& previous, Instant now) {
    if (const std::optional<Instant> asked = RetryAfter::parse(failure.retryAfter(), now)) {
        const double pause = std::min(*asked - now, longestHonouredPauseSeconds);
        return FetchProblem::rateLimited(now + pause, pause);
    }
    const double previousPause = previous ? previous->pauseSeconds() : 0;
    const double pause = previousPause > 0
                             ? std::clamp(previousPause * 2, firstPauseSeconds, longestPauseSeconds)
                             : firstPauseSeconds;
    return FetchProblem::rateLimited(now + pause, pause);
}

bool pauses(const std::optional<FetchProblem>& problem, Instant now) {
    const std::optional<Instant> nextCheck = problem ? problem->nextCheck() : std::nullopt;
    return nextCheck && now < *nextCheck && *nextCheck - now <= longestHonouredPauseSeconds;
}

FetchProblem problemFor(const UsageClient::Failure& failure,
                        const std::optional<FetchProblem>& previous, Instant now) {
    switch (failure.kind()) {
    case UsageClient::Failure::Kind::unauthorized:
        return FetchProblem::signInExpired();
    case UsageClient::Failure::Kind::transport:
        return FetchProblem::failed(failure.message());
    case UsageClient::Failure::Kind::http:
        break;
    }
    if (failure.status() == tooManyRequests)
        return rateLimited(failure, previous, now);
    return FetchProblem::failed(
        QStringLiteral("Anthropic returned error %1.").arg(failure.status()));
}

template <typename T>
bool isRefused(const UsageClient::Result<T>& result) {
    const auto* failure = std::get_if<UsageClient::Failure>(&result);
    return failure && failure->kind() == UsageClient::Failure::Kind::unauthorized;
}

} // namespace

Store::FetchResult Store::fetch(const Account& account, const std::optional<Entry>& old,
                                bool wantsProfile, const StoreServices& services) {
    const std::optional<FetchProblem> previous = old ? old->problem : std::nullopt;
    Entry entry{account, old ? old->snapshot : std::nullopt, std::nullopt};
    const auto ended = [&](std::optional<FetchProblem> problem) {
        entry.problem = std::move(problem);
        entry.checkedAt = services.clock();
        return FetchResult{entry, false};
    };
    // The service asked for a pause; the account keeps what it had until it ends.
    if (pauses(previous, services.clock()))
        return ended(previous);

    std::optional<Credential> credential =
        services.readCredential(account, credentialTimeoutSeconds);
    if (!credential)
        return ended(FetchProblem::noCredential());
    // Claude Code renews its own sign-in; what it did shows in the credential read after it.
    // Once per refresh at most: true when that gave a new token to try.
    bool renewed = false;
    const auto renew = [&] {
        if (std::exchange(renewed, true))
            return false;
        services.renewSignIn(account.configDir, account.isDefault(), renewalTimeoutSeconds);
        std::optional<Credential> again =
            services.readCredential(account, credentialTimeoutSeconds);
        if (!again)
            return false;
        const bool newToken = again->accessToken != credential->accessToken;
        credential = std::move(again);
        return newToken;
    };
    // The figures kept through a failure follow the credential's plan and sign-in end.
    std::optional<QString> plan;
    const auto followCredential = [&] {
        plan = PlanLabel::make(credential->subscriptionType, credential->rateLimitTier,
                               account.planDisplayName);
        if (!entry.snapshot)
            return;
        if (plan)
            entry.snapshot->plan = plan;
        entry.snapshot->loginExpiresAt = credential->loginExpiresAt;
    };
    if (credential->isExpired(services.clock()))
        renew();
    followCredential();
    if (credential->isExpired(services.clock()))
        return ended(FetchProblem::signInExpired());

    // A refused token may only have lapsed, whatever its credential said of its expiry.
    UsageClient::Result<UsageParser::Usage> usage = services.client->usage(credential->accessToken);
    if (isRefused(usage) && renew()) {
        followCredential();
        usage = services.client->usage(credential->accessToken);
    }
    if (const auto* failure = std::get_if<UsageClient::Failure>(&usage))
        return ended(problemFor(*failure, previous, services.clock()));

    std::optional<Subscription> subscription =
        entry.snapshot ? entry.snapshot->subscription : std::nullopt;
    bool fetchedSubscription = false;
    if (wantsProfile) {
        auto profile = services.client->subscription(credential->accessToken);
        if (isRefused(profile) && renew()) {
            followCredential();
            profile = services.client->subscription(credential->accessToken);
        }
        const auto* read = std::get_if<std::optional<Subscription>>(&profile);
        if (read && *read) {
            subscription = **read;
            fetchedSubscription = true;
        }
    }
    UsageParser::Usage read = std::get<UsageParser::Usage>(std::move(usage));
    entry.snapshot = Snapshot{std::move(read.limits), plan,
                              subscription,           credential->loginExpiresAt,
                              services.clock(),       std::move(read.extraUsage),
                              std::move(read.spend)};
    FetchResult result = ended(std::nullopt);
    result.fetchedSubscription = fetchedSubscription;
    return result;
}
