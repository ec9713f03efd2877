#include "model/FetchProblem.h"

#include "model/JsonCoding.h"

#include <array>
#include <utility>

namespace {
const std::array<std::pair<FetchProblem::Kind, QLatin1String>, 4> caseNames{{
    {FetchProblem::Kind::signInExpired, QLatin1String("signInExpired")},
    {FetchProblem::Kind::noCredential, QLatin1String("noCredential")},
    {FetchProblem::Kind::failed, QLatin1String("failed")},
    {FetchProblem::Kind::rateLimited, QLatin1String("rateLimited")},
}};

const QString payloadKey = QStringLiteral("_0");
const QString nextCheckKey = QStringLiteral("nextCheck");
const QString pauseKey = QStringLiteral("pauseSeconds");
} // namespace

FetchProblem FetchProblem::rateLimited(Instant nextCheck, double pauseSeconds) {
    return FetchProblem(Kind::rateLimited, {}, nextCheck, pauseSeconds);
}

std::optional<Instant> FetchProblem::nextCheck() const {
    if (problemKind != Kind::rateLimited)
        return std::nullopt;
    return checkAt;
}

std::optional<QJsonObject> FetchProblem::toJson() const {
    JsonWriter payload;
    if (problemKind == Kind::failed)
        payload.string(payloadKey, text);
    if (problemKind == Kind::rateLimited) {
        payload.instant(nextCheckKey, checkAt);
        payload.number(pauseKey, pause);
    }
    const std::optional<QJsonObject> written = payload.result();
    if (!written)
        return std::nullopt;
    for (const auto& [kind, name] : caseNames)
        if (kind == problemKind)
            return QJsonObject{{name, *written}};
    return std::nullopt;
}

std::optional<FetchProblem> FetchProblem::fromJson(const QJsonValue& json, QString* error) {
    JsonReader outer(json, error);
    if (!outer.succeeded())
        return std::nullopt;

    const std::pair<FetchProblem::Kind, QLatin1String>* found = nullptr;
    int count = 0;
    for (const auto& entry : caseNames) {
        if (outer.object().contains(entry.second)) {
            found = &entry;
            ++count;
        }
    }
    if (count != 1) {
        outer.fail(QStringLiteral("Invalid number of keys found, expected one."));
        return std::nullopt;
    }

    const QJsonValue payloadValue = outer.object().value(found->second);
    if (!payloadValue.isObject()) {
        outer.fail(QStringLiteral("The value of \"%1\" has the wrong type.").arg(found->second));
        return std::nullopt;
    }
    JsonReader payload(payloadValue, error);
    switch (found->first) {
    case Kind::signInExpired:
    case Kind::noCredential:
        return FetchProblem(found->first, {});
    case Kind::failed:
        if (auto message = payload.requiredString(payloadKey))
            return FetchProblem::failed(*message);
        return std::nullopt;
    case Kind::rateLimited:
        break;
    }
    auto nextCheck = payload.requiredInstant(nextCheckKey);
    auto pauseSeconds = payload.requiredNumber(pauseKey);
    if (!payload.succeeded())
        return std::nullopt;
    return FetchProblem::rateLimited(*nextCheck, *pauseSeconds);
}
