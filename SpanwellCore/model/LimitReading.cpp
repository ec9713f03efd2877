#include "model/LimitReading.h"

#include "model/JsonCoding.h"

LimitReading LimitReading::current(Instant now) const {
    if (resetsAt && now >= *resetsAt)
        return LimitReading{title, 0, std::nullopt};
    return *this;
}

bool LimitReading::coversWholeAccount() const {
    return title == LimitTitle::session || title == LimitTitle::week;
}

QString LimitReading::shortTitle() const {
    const qsizetype separator = title.indexOf(QLatin1String(", "));
    if (separator < 0)
        return title;
    return title.mid(separator + 2);
}

std::optional<QJsonObject> LimitReading::toJson() const {
    JsonWriter writer;
    writer.string(QStringLiteral("title"), title);
    writer.number(QStringLiteral("percent"), percent);
    writer.optionalInstant(QStringLiteral("resetsAt"), resetsAt);
    return writer.result();
}

std::optional<LimitReading> LimitReading::fromJson(const QJsonValue& json, QString* error) {
    JsonReader reader(json, error);
    auto title = reader.requiredString(QStringLiteral("title"));
    auto percent = reader.requiredNumber(QStringLiteral("percent"));
    auto resetsAt = reader.optionalInstant(QStringLiteral("resetsAt"));
    if (!reader.succeeded())
        return std::nullopt;
    return LimitReading{*title, *percent, resetsAt};
}
