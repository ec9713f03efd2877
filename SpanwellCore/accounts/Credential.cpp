#include "accounts/Credential.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

std::optional<Instant> millisecondsSince1970(const QJsonValue& value) {
    if (!value.isDouble())
        return std::nullopt;
    const Instant instant = Instant::fromUnixMilliseconds(value.toDouble());
    if (!instant.isWithinCalendarYears())
        return std::nullopt;
    return instant;
}

std::optional<QString> text(const QJsonValue& value) {
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

} // namespace

std::optional<Credential> Credential::parse(const QByteArray& bytes) {
    QJsonParseError error;
    // The parser allows JSON's own white space around the object, such as the tool's final
    // line end, and nothing else.
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue oauth = document.object().value(QLatin1String("claudeAiOauth"));
    if (!oauth.isObject())
        return std::nullopt;
    const QJsonObject fields = oauth.toObject();
    const QJsonValue token = fields.value(QLatin1String("accessToken"));
    if (!token.isString() || token.toString().isEmpty())
        return std::nullopt;
    return Credential{
        token.toString(),
        millisecondsSince1970(fields.value(QLatin1String("expiresAt"))),
        millisecondsSince1970(fields.value(QLatin1String("refreshTokenExpiresAt"))),
        text(fields.value(QLatin1String("subscriptionType"))),
        text(fields.value(QLatin1String("rateLimitTier"))),
    };
}

bool Credential::isExpired(Instant at) const {
    return expiresAt && at >= *expiresAt;
}
