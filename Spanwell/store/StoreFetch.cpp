#include "store/Store.h"

#include "model/PlanLabel.h"

namespace {

constexpr double credentialTimeoutSeconds = 8;
constexpr double renewalTimeoutSeconds = 30;
constexpr int tooManyRequests = 429;

FetchProblem problemFor(const UsageClient::Failure& failure) {
    switch (failure.kind()) {
    case UsageClient::Failure::Kind::unauthorized:
        return FetchProblem::signInExpired();
    case UsageClient::Failure::Kind::transport:
        return FetchProblem::failed(failure.message());
    case UsageClient::Failure::Kind::http:
        break;
    }
    if (failure.status() == tooManyRequests)
        return FetchProblem::failed(
            QStringLiteral("Anthropic is rate limiting usage checks. Will retry."));
    return FetchProblem::failed(
        QStringLiteral("Anthropic returned error %1.").arg(failure.status()));
}

} // namespace

Store::FetchResult Store::fetch(const Account& account, const std::optional<Entry>& old,
                                bool wantsProfile, const StoreServices& services) {
    Entry entry{account, old ? old->snapshot : std::nullopt, std::nullopt};

    std::optional<Credential> credential =
        services.readCredential(account, credentialTimeoutSeconds);
    if (!credential) {
        entry.problem = FetchProblem::noCredential();
        return {entry, false};
    }
    if (credential->isExpired(services.clock())) {
        // Claude Code renews its own sign-in; its verdict is read from the credential after.
        services.renewSignIn(account.configDir, account.isDefault(), renewalTimeoutSeconds);
        if (std::optional<Credential> renewed =
                services.readCredential(account, credentialTimeoutSeconds))
            credential = std::move(renewed);
    }

    const std::optional<QString> plan = PlanLabel::make(
        credential->subscriptionType, credential->rateLimitTier, account.planDisplayName);
    if (entry.snapshot) {
        if (plan)
            entry.snapshot->plan = plan;
        entry.snapshot->loginExpiresAt = credential->loginExpiresAt;
    }
    if (credential->isExpired(services.clock())) {
        entry.problem = FetchProblem::signInExpired();
        return {entry, false};
    }

    UsageClient::Result<QList<LimitReading>> limits =
        services.client->limits(credential->accessToken);
    if (const auto* failure = std::get_if<UsageClient::Failure>(&limits)) {
        entry.problem = problemFor(*failure);
        return {entry, false};
    }

    std::optional<Subscription> subscription =
        entry.snapshot ? entry.snapshot->subscription : std::nullopt;
    bool fetchedSubscription = false;
    if (wantsProfile) {
        const auto profile = services.client->subscription(credential->accessToken);
        const auto* read = std::get_if<std::optional<Subscription>>(&profile);
        if (read && *read) {
            subscription = **read;
            fetchedSubscription = true;
        }
    }
    entry.snapshot = Snapshot{std::get<QList<LimitReading>>(std::move(limits)), plan, subscription,
                              credential->loginExpiresAt, services.clock()};
    return {entry, fetchedSubscription};
}
