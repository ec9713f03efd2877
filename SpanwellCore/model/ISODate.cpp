#include "model/ISODate.h"

#include <QDate>
#include <QRegularExpression>

namespace {

// Full date, "T", time with colons, an optional fraction, and "Z" or an offset with a colon,
// and nothing after it: not even the final line feed that "$" would let through.
std::optional<Instant> parseInternetDateTime(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral(
        R"(^([0-9]{4})-([0-9]{2})-([0-9]{2})[Tt]([0-9]{2}):([0-9]{2}):([0-9]{2})(\.[0-9]+)?)"
        R"(([Zz]|[+-][0-9]{2}:[0-9]{2})\z)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto number = [&match](int group) { return match.capturedView(group).toInt(); };

    const QDate date(number(1), number(2), number(3));
    const int hour = number(4), minute = number(5), second = number(6);
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;

    int offsetSeconds = 0;
    const QStringView zone = match.capturedView(8);
    if (zone.size() > 1) {
        const int offsetHours = zone.mid(1, 2).toInt();
        const int offsetMinutes = zone.mid(4, 2).toInt();
        if (offsetHours > 23 || offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = (offsetHours * 3600 + offsetMinutes * 60) * (zone.at(0) == u'-' ? -1 : 1);
    }

    const qint64 days = date.toJulianDay() - QDate(2001, 1, 1).toJulianDay();
    const qint64 wholeSeconds = days * 86400 + hour * 3600 + minute * 60 + second - offsetSeconds;
    const QStringView fraction = match.capturedView(7);
    const double fractionSeconds =
        fraction.isEmpty() ? 0.0 : (QLatin1Char('0') + fraction.toString()).toDouble();
    // An offset can carry the first and the last day of the calendar beyond it.
    const Instant instant(static_cast<double>(wholeSeconds) + fractionSeconds);
    if (!instant.isWithinCalendarYears())
        return std::nullopt;
    return instant;
}

} // namespace

namespace ISODate {

std::optional<Instant> parse(const QString& text) {
    if (std::optional<Instant> instant = parseInternetDateTime(text))
        return instant;
    // A fraction in an unexpected place is dropped as a last resort; the date keeps its
    // whole seconds.
    QString withoutFractions = text;
    static const QRegularExpression fractions(QStringLiteral(R"(\.\d+)"));
    withoutFractions.remove(fractions);
    return parseInternetDateTime(withoutFractions);
}

} // namespace ISODate
