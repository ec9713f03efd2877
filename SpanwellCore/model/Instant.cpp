#include "model/Instant.h"

#include <chrono>
#include <cmath>

Instant Instant::now() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return fromUnixSeconds(std::chrono::duration<double>(sinceEpoch).count());
}

Instant Instant::fromUnixSeconds(double secondsSince1970) {
    return Instant(secondsSince1970 - unixSecondsAtReferenceDate);
}

Instant Instant::fromUnixMilliseconds(double millisecondsSince1970) {
    return fromUnixSeconds(millisecondsSince1970 / 1000.0);
}

Instant Instant::fromDateTime(const QDateTime& dateTime) {
    return fromUnixMilliseconds(static_cast<double>(dateTime.toMSecsSinceEpoch()));
}

double Instant::unixSeconds() const {
    return seconds + unixSecondsAtReferenceDate;
}

QDateTime Instant::toDateTime() const {
    if (!isWithinCalendarYears())
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::floor(unixSeconds() * 1000.0)),
                                          Qt::UTC);
}
