#include "model/ISODate.h"

#include <QDate>

// Read by hand rather than by a regular expression: the tray program reads every reset time
// with it, and would otherwise keep the expression library's compiler in its memory all day.
namespace {

// The ASCII digits of `text` from `at`, `count` of them, as a number; -1 when there are fewer
// or one is not such a digit.
int digitsAt(QStringView text, qsizetype at, qsizetype count) {
    if (at + count > text.size())
        return -1;
    int number = 0;
    for (const QChar character : text.mid(at, count)) {
        if (character < u'0' || character > u'9')
            return -1;
        number = number * 10 + (character.unicode() - u'0');
    }
    return number;
}

bool isAt(QStringView text, qsizetype at, char16_t expected) {
    return at < text.size() && text.at(at) == expected;
}

// Full date, "T", time with colons, an optional fraction, and "Z" or an offset with a colon,
// and nothing after it, not even a line feed.
std::optional<Instant> parseInternetDateTime(QStringView text) {
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 ||
        !isAt(text, 4, u'-') || !isAt(text, 7, u'-') ||
        !(isAt(text, 10, u'T') || isAt(text, 10, u't')) || !isAt(text, 13, u':') ||
        !isAt(text, 16, u':'))
        return std::nullopt;
    qsizetype at = 19;
    QStringView fraction;
    if (isAt(text, at, u'.')) {
        qsizetype end = at + 1;
        while (digitsAt(text, end, 1) >= 0)
            ++end;
        if (end == at + 1)
            return std::nullopt;
        fraction = text.mid(at, end - at);
        at = end;
    }
    const QStringView zone = text.mid(at);
    const bool utc = zone == u"Z" || zone == u"z";
    const bool offset = zone.size() == 6 && (zone.at(0) == u'+' || zone.at(0) == u'-') &&
                        digitsAt(zone, 1, 2) >= 0 && zone.at(3) == u':' &&
                        digitsAt(zone, 4, 2) >= 0;
    if (!utc && !offset)
        return std::nullopt;

    const QDate date(year, month, day);
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;

    int offsetSeconds = 0;
    if (offset) {
        const int offsetHours = digitsAt(zone, 1, 2);
        const int offsetMinutes = digitsAt(zone, 4, 2);
        if (offsetHours > 23 || offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = (offsetHours * 3600 + offsetMinutes * 60) * (zone.at(0) == u'-' ? -1 : 1);
    }

    const qint64 days = date.toJulianDay() - QDate(2001, 1, 1).toJulianDay();
    const qint64 wholeSeconds = days * 86400 + hour * 3600 + minute * 60 + second - offsetSeconds;
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
    // A fraction in an unexpected place is dropped as a last resort, a point and the ASCII
    // digits after it; the date keeps its whole seconds.
    QString withoutFractions;
    withoutFractions.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        qsizetype end = at + 1;
        if (text.at(at) == u'.')
            while (digitsAt(text, end, 1) >= 0)
                ++end;
        if (end > at + 1)
            at = end - 1;
        else
            withoutFractions.append(text.at(at));
    }
    return parseInternetDateTime(withoutFractions);
}

} // namespace ISODate
