#include "service/UsageParser.h"

#include "model/ISODate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

namespace {

// The service sometimes writes flags where numbers belong; true and false read as 1 and 0.
std::optional<double> number(const QJsonValue& value) {
    if (value.isDouble())
        return value.toDouble();
    if (value.isBool())
        return value.toBool() ? 1.0 : 0.0;
    return std::nullopt;
}

std::optional<QString> string(const QJsonValue& value) {
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<Instant> timestamp(const QJsonValue& value) {
    const std::optional<QString> text = string(value);
    return text ? ISODate::parse(*text) : std::nullopt;
}

std::optional<QJsonObject> topLevelObject(const QByteArray& reply) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

// Every whitespace-separated word gets an upper-case first letter and lower-case others.
QString capitalised(const QString& text) {
    QString result;
    result.reserve(text.size());
    bool wordStart = true;
    for (const QChar character : text) {
        if (character.isSpace()) {
            result.append(character);
            wordStart = true;
        } else {
            result.append(wordStart ? character.toUpper() : character.toLower());
            wordStart = false;
        }
    }
    return result;
}

QString titleOfKind(const QString& kind, const std::optional<QString>& modelName) {
    if (kind == QLatin1String("session"))
        return LimitTitle::session;
    if (kind == QLatin1String("weekly_all"))
        return LimitTitle::week;
    if (kind == QLatin1String("weekly_scoped"))
        return modelName ? QStringLiteral("Week, ") + *modelName : QStringLiteral("Week, scoped");
    return capitalised(QString(kind).replace(QLatin1Char('_'), QLatin1Char(' ')));
}

// A "limits" list is read only when it is a non-empty array of objects; anything else sends
// the reader to the fixed keys.
bool isListOfObjects(const QJsonValue& value) {
    if (!value.isArray())
        return false;
    const QJsonArray array = value.toArray();
    return !array.isEmpty() && std::all_of(array.begin(), array.end(),
                                           [](const QJsonValue& v) { return v.isObject(); });
}

QList<LimitReading> readList(const QJsonArray& entries) {
    QList<LimitReading> readings;
    QSet<QString> titles;
    for (const QJsonValue& value : entries) {
        if (readings.size() == UsageParser::mostReadings)
            break;
        const QJsonObject entry = value.toObject();
        const std::optional<double> percent = number(entry.value(QLatin1String("percent")));
        if (!percent)
            continue;
        const QString kind = string(entry.value(QLatin1String("kind"))).value_or(QString());
        const std::optional<QString> modelName = string(entry.value(QLatin1String("scope"))
                                                            .toObject()
                                                            .value(QLatin1String("model"))
                                                            .toObject()
                                                            .value(QLatin1String("display_name")));
        const QString title = titleOfKind(kind, modelName);
        if (titles.contains(title))
            continue;
        titles.insert(title);
        readings.append(
            LimitReading{title, *percent, timestamp(entry.value(QLatin1String("resets_at")))});
    }
    return readings;
}

QList<LimitReading> readFixedKeys(const QJsonObject& reply) {
    static const std::pair<QLatin1String, QLatin1String> keys[] = {
        {QLatin1String("five_hour"), QLatin1String("Session")},
        {QLatin1String("seven_day"), QLatin1String("Week")},
        {QLatin1String("seven_day_opus"), QLatin1String("Week, Opus")},
        {QLatin1String("seven_day_sonnet"), QLatin1String("Week, Sonnet")},
    };
    QList<LimitReading> readings;
    for (const auto& [key, title] : keys) {
        const QJsonValue value = reply.value(key);
        if (!value.isObject())
            continue;
        const QJsonObject limit = value.toObject();
        const std::optional<double> utilization = number(limit.value(QLatin1String("utilization")));
        if (!utilization)
            continue;
        readings.append(
            LimitReading{title, *utilization, timestamp(limit.value(QLatin1String("resets_at")))});
    }
    return readings;
}

} // namespace

namespace UsageParser {

std::optional<QList<LimitReading>> limits(const QByteArray& reply) {
    const std::optional<QJsonObject> object = topLevelObject(reply);
    if (!object)
        return std::nullopt;
    const QJsonValue list = object->value(QLatin1String("limits"));
    if (isListOfObjects(list))
        return readList(list.toArray());
    return readFixedKeys(*object);
}

std::optional<Subscription> subscription(const QByteArray& reply) {
    const std::optional<QJsonObject> object = topLevelObject(reply);
    if (!object)
        return std::nullopt;
    const QJsonValue organizationValue = object->value(QLatin1String("organization"));
    if (!organizationValue.isObject())
        return std::nullopt;
    const QJsonObject organization = organizationValue.toObject();
    return Subscription{string(organization.value(QLatin1String("subscription_status"))),
                        timestamp(organization.value(QLatin1String("subscription_created_at")))};
}

} // namespace UsageParser
