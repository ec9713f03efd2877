#include "model/JsonCoding.h"

#include <cmath>

JsonReader::JsonReader(const QJsonValue& value, QString* firstError)
    : error(firstError) {
    if (value.isObject())
        fields = value.toObject();
    else
        fail(QStringLiteral("Expected a JSON object."));
}

void JsonReader::fail(const QString& message) {
    if (ok && error)
        *error = message;
    ok = false;
}

std::optional<QJsonValue> JsonReader::present(const QString& key) {
    if (!ok)
        return std::nullopt;
    const QJsonValue value = fields.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    return value;
}

std::optional<QJsonValue> JsonReader::required(const QString& key) {
    std::optional<QJsonValue> value = present(key);
    if (!value)
        fail(QStringLiteral("The key \"%1\" is missing.").arg(key));
    return value;
}

bool JsonReader::expect(const QJsonValue& value, QJsonValue::Type type, const QString& key) {
    if (value.type() == type)
        return true;
    fail(QStringLiteral("The value of \"%1\" has the wrong type.").arg(key));
    return false;
}

std::optional<QString> JsonReader::requiredString(const QString& key) {
    const std::optional<QJsonValue> value = required(key);
    if (!value || !expect(*value, QJsonValue::String, key))
        return std::nullopt;
    return value->toString();
}

std::optional<double> JsonReader::requiredNumber(const QString& key) {
    const std::optional<QJsonValue> value = required(key);
    if (!value || !expect(*value, QJsonValue::Double, key))
        return std::nullopt;
    return value->toDouble();
}

std::optional<Instant> JsonReader::requiredInstant(const QString& key) {
    const std::optional<double> seconds = requiredNumber(key);
    if (!seconds)
        return std::nullopt;
    return instant(*seconds, key);
}

std::optional<QJsonArray> JsonReader::requiredArray(const QString& key) {
    const std::optional<QJsonValue> value = required(key);
    if (!value || !expect(*value, QJsonValue::Array, key))
        return std::nullopt;
    return value->toArray();
}

std::optional<bool> JsonReader::requiredBool(const QString& key) {
    const std::optional<QJsonValue> value = required(key);
    if (!value || !expect(*value, QJsonValue::Bool, key))
        return std::nullopt;
    return value->toBool();
}

std::optional<double> JsonReader::optionalNumber(const QString& key) {
    const std::optional<QJsonValue> value = present(key);
    if (!value || !expect(*value, QJsonValue::Double, key))
        return std::nullopt;
    return value->toDouble();
}

std::optional<QString> JsonReader::optionalString(const QString& key) {
    const std::optional<QJsonValue> value = present(key);
    if (!value || !expect(*value, QJsonValue::String, key))
        return std::nullopt;
    return value->toString();
}

std::optional<Instant> JsonReader::optionalInstant(const QString& key) {
    const std::optional<QJsonValue> value = present(key);
    if (!value || !expect(*value, QJsonValue::Double, key))
        return std::nullopt;
    return instant(value->toDouble(), key);
}

std::optional<Instant> JsonReader::instant(double seconds, const QString& key) {
    const Instant read(seconds);
    if (read.isWithinCalendarYears())
        return read;
    fail(QStringLiteral("The date of \"%1\" lies outside the years 1 to 9999.").arg(key));
    return std::nullopt;
}

std::optional<QJsonObject> JsonReader::optionalObject(const QString& key) {
    const std::optional<QJsonValue> value = present(key);
    if (!value || !expect(*value, QJsonValue::Object, key))
        return std::nullopt;
    return value->toObject();
}

void JsonWriter::string(const QString& key, const QString& value) {
    fields.insert(key, value);
}

void JsonWriter::number(const QString& key, double value) {
    if (!std::isfinite(value))
        ok = false;
    fields.insert(key, value);
}

void JsonWriter::instant(const QString& key, Instant value) {
    number(key, value.secondsSinceReferenceDate());
}

void JsonWriter::value(const QString& key, const QJsonValue& value) {
    fields.insert(key, value);
}

void JsonWriter::optionalString(const QString& key, const std::optional<QString>& value) {
    if (value)
        string(key, *value);
}

void JsonWriter::optionalNumber(const QString& key, const std::optional<double>& value) {
    if (value)
        number(key, *value);
}

void JsonWriter::optionalInstant(const QString& key, const std::optional<Instant>& value) {
    if (value)
        instant(key, *value);
}

std::optional<QJsonObject> JsonWriter::result() const {
    if (!ok)
        return std::nullopt;
    return fields;
}
