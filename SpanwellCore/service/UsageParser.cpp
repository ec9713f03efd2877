#include "service/UsageParser.h"

#include "model/ISODate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>

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

const QLatin1String extraUsageKind("extra_usage");

// A non-empty string, else absent.
std::optional<QString> name(const QJsonValue& value) {
    std::optional<QString> text = string(value);
    return text && !text->isEmpty() ? text : std::nullopt;
}

// "claude-opus-4-1-20250805" reads "Opus 4.1" and "claude-3-5-sonnet" reads "Sonnet 3.5": after
// "claude", a family of words and a version of numbers, with an optional date of release. Any
// other id is clear only as it is.
QString readableModelId(const QString& id) {
    // By hand rather than by a regular expression, which would keep the expression library in
    // the tray program's memory all day. Words and numbers of ASCII letters and digits.
    const auto isWord = [](QStringView part) {
        return !part.isEmpty() && std::all_of(part.begin(), part.end(), [](QChar character) {
            return (character >= u'a' && character <= u'z') ||
                   (character >= u'A' && character <= u'Z');
        });
    };
    const auto isNumber = [](QStringView part, qsizetype longest) {
        return !part.isEmpty() && part.size() <= longest &&
               std::all_of(part.begin(), part.end(),
                           [](QChar character) { return character >= u'0' && character <= u'9'; });
    };
    const QLatin1String prefix("claude-");
    if (!id.startsWith(prefix, Qt::CaseInsensitive))
        return id;
    QList<QStringView> parts = QStringView(id).mid(prefix.size()).split(u'-');
    // Eight digits at the end are the date of release.
    if (parts.size() > 1 && parts.last().size() == 8 && isNumber(parts.last(), 8))
        parts.removeLast();
    // A family of words, then version numbers of up to four digits, or the other way round.
    const bool familyFirst = isWord(parts.first());
    QStringList family, version;
    bool inFirstRun = true;
    for (const QStringView part : std::as_const(parts)) {
        const bool word = isWord(part);
        if (!word && !isNumber(part, 4))
            return id;
        if (word != familyFirst)
            inFirstRun = false;
        else if (!inFirstRun)
            return id;
        (word ? family : version).append(part.toString());
    }
    if (family.isEmpty() || (!familyFirst && version.isEmpty()))
        return id;
    const QString words = capitalised(family.join(QLatin1Char(' ')));
    return version.isEmpty() ? words : words + QLatin1Char(' ') + version.join(QLatin1Char('.'));
}

// What an entry's "scope" says of the limit: the whole scope, which tells limits apart, and
// its name for the title: the model's display name, a readable form of its id, or the surface.
struct Scope {
    QString identity;
    std::optional<QString> name;
};

Scope scopeOf(const QJsonObject& entry) {
    const QJsonObject scope = entry.value(QLatin1String("scope")).toObject();
    const QJsonObject model = scope.value(QLatin1String("model")).toObject();
    std::optional<QString> scopeName = name(model.value(QLatin1String("display_name")));
    if (!scopeName)
        if (const std::optional<QString> id = name(model.value(QLatin1String("id"))))
            scopeName = readableModelId(*id);
    if (!scopeName)
        scopeName = name(scope.value(QLatin1String("surface")));
    return Scope{scope.isEmpty()
                     ? QString()
                     : QString::fromUtf8(QJsonDocument(scope).toJson(QJsonDocument::Compact)),
                 scopeName};
}

// A session or week limit that names its scope is that scope's, not the whole account's.
QString titleOfKind(const QString& kind, const std::optional<QString>& scopeName) {
    const auto scoped = [&scopeName](const QString& title) {
        return scopeName ? title + QStringLiteral(", ") + *scopeName : title;
    };
    if (kind == QLatin1String("session"))
        return scoped(LimitTitle::session);
    if (kind == QLatin1String("weekly_all"))
        return scoped(LimitTitle::week);
    if (kind == QLatin1String("weekly_scoped"))
        return scopeName ? scoped(LimitTitle::week) : QStringLiteral("Week, scoped");
    return capitalised(QString(kind).replace(QLatin1Char('_'), QLatin1Char(' ')));
}

bool coversWholeAccount(const QString& kind) {
    return kind == QLatin1String("session") || kind == QLatin1String("weekly_all");
}

// A title no other reading has; "Session" and "Week" only for the limits that cover the whole
// account, since the verdict knows those by their titles. A different limit whose title is
// taken gets a number after it: "Week, Opus (2)".
QString uniqueTitle(const QString& title, bool wholeAccount, const QSet<QString>& taken) {
    const bool reserved = title == LimitTitle::session || title == LimitTitle::week;
    if (!taken.contains(title) && (wholeAccount || !reserved))
        return title;
    for (int number = 2;; ++number) {
        const QString numbered = QStringLiteral("%1 (%2)").arg(title).arg(number);
        if (!taken.contains(numbered))
            return numbered;
    }
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

// An ISO 4217 code, such as "USD"; anything else names no currency.
std::optional<QString> currencyCode(const QJsonValue& value) {
    const std::optional<QString> text = string(value);
    const auto isLetter = [](QChar character) {
        return (character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z');
    };
    if (!text || text->size() != 3 || !std::all_of(text->begin(), text->end(), isLetter))
        return std::nullopt;
    return text->toUpper();
}

// Amounts beyond this many minor units are no account's, and would not fit a row.
constexpr double largestMinorUnits = 1e15;

std::optional<Money> money(const QJsonValue& minorUnits, const std::optional<QString>& currency,
                           const QJsonValue& decimalPlaces) {
    const std::optional<double> amount = number(minorUnits);
    if (!amount || std::abs(*amount) > largestMinorUnits)
        return std::nullopt;
    const std::optional<double> places = number(decimalPlaces);
    const bool placesRead = places && *places >= 0 && *places <= Money::mostDecimalPlaces &&
                            *places == std::trunc(*places);
    return Money{*amount, currency, placesRead ? int(*places) : 2};
}

// The fixed-key shape's "extra_usage" object, or an entry of that kind in a "limits" list, whose
// share may stand under "percent" as in the other entries.
ExtraUsage readExtraUsage(const QJsonObject& fields) {
    const std::optional<QString> currency = currencyCode(fields.value(QLatin1String("currency")));
    const QJsonValue places = fields.value(QLatin1String("decimal_places"));
    std::optional<double> utilization = number(fields.value(QLatin1String("utilization")));
    if (!utilization)
        utilization = number(fields.value(QLatin1String("percent")));
    return ExtraUsage{fields.value(QLatin1String("is_enabled")).toBool(),
                      money(fields.value(QLatin1String("used_credits")), currency, places),
                      money(fields.value(QLatin1String("monthly_limit")), currency, places),
                      utilization};
}

// {"amount_minor": 1802, "currency": "USD", "exponent": 2}, or null.
std::optional<Money> spendAmount(const QJsonValue& value) {
    const QJsonObject fields = value.toObject();
    return money(fields.value(QLatin1String("amount_minor")),
                 currencyCode(fields.value(QLatin1String("currency"))),
                 fields.value(QLatin1String("exponent")));
}

Spend readSpend(const QJsonObject& fields) {
    return Spend{spendAmount(fields.value(QLatin1String("used"))),
                 spendAmount(fields.value(QLatin1String("limit"))),
                 spendAmount(fields.value(QLatin1String("cap"))),
                 spendAmount(fields.value(QLatin1String("balance"))),
                 number(fields.value(QLatin1String("percent")))};
}

// Two entries are one limit only when their kind and scope are the same; the first wins.
void readList(const QJsonArray& entries, UsageParser::Usage& usage) {
    QSet<QString> identities;
    QSet<QString> titles;
    for (const QJsonValue& value : entries) {
        if (usage.limits.size() == UsageParser::mostReadings)
            break;
        const QJsonObject entry = value.toObject();
        const QString kind = string(entry.value(QLatin1String("kind"))).value_or(QString());
        if (kind == extraUsageKind) {
            if (!usage.extraUsage)
                usage.extraUsage = readExtraUsage(entry);
            continue;
        }
        const std::optional<double> percent = number(entry.value(QLatin1String("percent")));
        if (!percent)
            continue;
        const Scope scope = scopeOf(entry);
        const QString identity = kind + QLatin1Char('\n') + scope.identity;
        if (identities.contains(identity))
            continue;
        identities.insert(identity);
        const QString title = uniqueTitle(titleOfKind(kind, scope.name),
                                          coversWholeAccount(kind) && !scope.name, titles);
        titles.insert(title);
        usage.limits.append(
            LimitReading{title, *percent, timestamp(entry.value(QLatin1String("resets_at")))});
    }
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

std::optional<Usage> usage(const QByteArray& reply) {
    const std::optional<QJsonObject> object = topLevelObject(reply);
    if (!object)
        return std::nullopt;
    Usage read;
    const QJsonValue extraUsage = object->value(extraUsageKind);
    if (extraUsage.isObject())
        read.extraUsage = readExtraUsage(extraUsage.toObject());
    const QJsonValue spend = object->value(QLatin1String("spend"));
    if (spend.isObject())
        read.spend = readSpend(spend.toObject());
    const QJsonValue list = object->value(QLatin1String("limits"));
    if (isListOfObjects(list))
        readList(list.toArray(), read);
    else
        read.limits = readFixedKeys(*object);
    return read;
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
