#pragma once

#include "model/Instant.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// Why the last refresh of an account gave no new snapshot.
class FetchProblem {
public:
    enum class Kind { signInExpired, noCredential, failed, rateLimited };

    static FetchProblem signInExpired() { return FetchProblem(Kind::signInExpired, {}); }
    static FetchProblem noCredential() { return FetchProblem(Kind::noCredential, {}); }
    // `message` is the sentence shown to the user.
    static FetchProblem failed(QString message) { return FetchProblem(Kind::failed, message); }
    // The service asked for a pause: its usage is not asked for again before `nextCheck`.
    // `pauseSeconds` is how long the pause was, which a further one without a time of its own
    // doubles.
    static FetchProblem rateLimited(Instant nextCheck, double pauseSeconds);

    Kind kind() const { return problemKind; }
    // The sentence of a `failed` problem; empty for the other kinds.
    const QString& message() const { return text; }
    // The account cannot be used until the user signs in again.
    bool needsSignIn() const {
        return problemKind == Kind::signInExpired || problemKind == Kind::noCredential;
    }
    // When a rate-limited account is asked again; absent for the other kinds.
    std::optional<Instant> nextCheck() const;
    double pauseSeconds() const { return pause; }

    // One key, the case name, whose value holds the payload: {"failed":{"_0":"…"}},
    // {"rateLimited":{"nextCheck":…,"pauseSeconds":…}}.
    std::optional<QJsonObject> toJson() const;
    static std::optional<FetchProblem> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const FetchProblem&) const = default;

private:
    FetchProblem(Kind kind, QString message, Instant nextCheck = {}, double pauseSeconds = 0)
        : problemKind(kind)
        , text(std::move(message))
        , checkAt(nextCheck)
        , pause(pauseSeconds) {}

    Kind problemKind;
    QString text;
    Instant checkAt;
    double pause;
};
