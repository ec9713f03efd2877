#include "model/Money.h"

#include "model/JsonCoding.h"

#include <algorithm>
#include <cmath>

double Money::value() const {
    return minorUnits / std::pow(10.0, decimalPlaces);
}

std::optional<QJsonObject> Money::toJson() const {
    JsonWriter writer;
    writer.number(QStringLiteral("minorUnits"), minorUnits);
    writer.optionalString(QStringLiteral("currency"), currency);
    writer.number(QStringLiteral("decimalPlaces"), decimalPlaces);
    return writer.result();
}

std::optional<Money> Money::fromJson(const QJsonValue& json, QString* error) {
    JsonReader reader(json, error);
    auto minorUnits = reader.requiredNumber(QStringLiteral("minorUnits"));
    auto currency = reader.optionalString(QStringLiteral("currency"));
    auto decimalPlaces = reader.requiredNumber(QStringLiteral("decimalPlaces"));
    if (reader.succeeded() && !(*decimalPlaces >= 0 && *decimalPlaces <= mostDecimalPlaces &&
                                *decimalPlaces == std::trunc(*decimalPlaces)))
        reader.fail(QStringLiteral("The value of \"decimalPlaces\" is not a count of places."));
    if (!reader.succeeded())
        return std::nullopt;
    return Money{*minorUnits, currency, int(*decimalPlaces)};
}

std::optional<double> MoneyUse::percent() const {
    if (used && limit && limit->value() > 0)
        return used->value() / limit->value() * 100;
    return reportedPercent;
}

std::optional<Money> MoneyUse::left() const {
    if (!used || !limit)
        return std::nullopt;
    Money rest = *limit;
    rest.minorUnits = std::round(std::max(0.0, limit->value() - used->value()) *
                                 std::pow(10.0, rest.decimalPlaces));
    return rest;
}
