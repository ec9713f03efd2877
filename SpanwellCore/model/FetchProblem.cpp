#include "model/FetchProblem.h"

#include "model/JsonCoding.h"

#include <array>
#include <utility>

namespace {
const std::array<std::pair<FetchProblem::Kind, QLatin1String>, 3> caseNames{{
    {FetchProblem::Kind::signInExpired, QLatin1String("signInExpired")},
    {FetchProblem::Kind::noCredential, QLatin1String("noCredential")},
    {FetchProblem::Kind::failed, QLatin1String("failed")},
}};

const QString payloadKey = QStringLiteral("_0");
} // namespace

QJsonObject FetchProblem::toJson() const {
    QJsonObject payload;
    if (problemKind == Kind::failed)
        payload.insert(payloadKey, text);
    for (const auto& [kind, name] : caseNames)
        if (kind == problemKind)
            return QJsonObject{{name, payload}};
    return {};
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
    if (found->first != Kind::failed)
        return FetchProblem(found->first, {});

    JsonReader payload(payloadValue, error);
    auto message = payload.requiredString(payloadKey);
    if (!payload.succeeded())
        return std::nullopt;
    return FetchProblem::failed(*message);
}
