#pragma once

#include "model/Instant.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>

// Reads the fields of one record's JSON object. The first failure (a required key missing, a
// value of the wrong type, a date outside the calendar years) is remembered and every later
// read is skipped, so a decoder reads all fields and then asks once whether it succeeded. A
// missing key and null are both absent.
class JsonReader {
public:
    JsonReader(const QJsonValue& value, QString* error);

    bool succeeded() const { return ok; }
    const QJsonObject& object() const { return fields; }

    std::optional<QString> requiredString(const QString& key);
    std::optional<double> requiredNumber(const QString& key);
    std::optional<Instant> requiredInstant(const QString& key);
    std::optional<QJsonArray> requiredArray(const QString& key);
    std::optional<bool> requiredBool(const QString& key);

    std::optional<QString> optionalString(const QString& key);
    std::optional<double> optionalNumber(const QString& key);
    std::optional<Instant> optionalInstant(const QString& key);
    // Absent when the key is missing or null; a failure when present but not an object.
    std::optional<QJsonObject> optionalObject(const QString& key);
    // A nested record decoded by its own `fromJson`, whose failure is this record's.
    template <typename Record>
    std::optional<Record> optionalRecord(const QString& key) {
        const std::optional<QJsonObject> json = optionalObject(key);
        if (!json)
            return std::nullopt;
        std::optional<Record> record = Record::fromJson(*json, error);
        if (!record)
            ok = false;
        return record;
    }

    void fail(const QString& message);

private:
    std::optional<QJsonValue> present(const QString& key);
    std::optional<QJsonValue> required(const QString& key);
    bool expect(const QJsonValue& value, QJsonValue::Type type, const QString& key);
    std::optional<Instant> instant(double seconds, const QString& key);

    QJsonObject fields;
    QString* error;
    bool ok = true;
};

// Builds one record's JSON object. Absent optional fields are left out, never written as null.
// A number that is not finite cannot be written: the result is then absent.
class JsonWriter {
public:
    void string(const QString& key, const QString& value);
    void number(const QString& key, double value);
    void instant(const QString& key, Instant value);
    void value(const QString& key, const QJsonValue& value);

    void optionalString(const QString& key, const std::optional<QString>& value);
    void optionalNumber(const QString& key, const std::optional<double>& value);
    void optionalInstant(const QString& key, const std::optional<Instant>& value);
    // A nested record encoded by its own `toJson`, whose failure is this record's.
    template <typename Record>
    void optionalRecord(const QString& key, const std::optional<Record>& record) {
        if (!record)
            return;
        if (const std::optional<QJsonObject> json = record->toJson())
            value(key, *json);
        else
            fail();
    }

    // Marks the record as not encodable (a nested record that failed).
    void fail() { ok = false; }
    std::optional<QJsonObject> result() const;

private:
    QJsonObject fields;
    bool ok = true;
};
