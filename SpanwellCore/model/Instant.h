#pragma once

#include <QDateTime>

#include <compare>

// An absolute point in time, kept as seconds (with fraction) since 2001-01-01 00:00:00 UTC.
// That is the cache's own encoding, so a date written to JSON and read back is bit-for-bit
// the same. Other encodings are converted only at the edges.
class Instant {
public:
    constexpr Instant() = default;
    constexpr explicit Instant(double secondsSinceReferenceDate)
        : seconds(secondsSinceReferenceDate) {}

    static Instant now();
    static Instant fromUnixSeconds(double secondsSince1970);
    static Instant fromUnixMilliseconds(double millisecondsSince1970);
    static Instant fromDateTime(const QDateTime& dateTime);

    constexpr double secondsSinceReferenceDate() const { return seconds; }
    double unixSeconds() const;
    // Within the years 1 to 9999 (UTC), the instants a calendar date can be written for. Dates
    // from outside the program beyond them are refused where they are read, so that nothing
    // downstream meets an instant no calendar can hold.
    constexpr bool isWithinCalendarYears() const {
        return seconds >= earliestSeconds && seconds < endSeconds;
    }
    // Millisecond precision, which is all a QDateTime holds. Invalid outside the calendar years.
    QDateTime toDateTime() const;

    constexpr Instant operator+(double durationSeconds) const {
        return Instant(seconds + durationSeconds);
    }
    constexpr Instant operator-(double durationSeconds) const {
        return Instant(seconds - durationSeconds);
    }
    constexpr double operator-(Instant earlier) const { return seconds - earlier.seconds; }

    constexpr auto operator<=>(const Instant&) const = default;

private:
    // 0001-01-01 00:00:00 UTC, and 10000-01-01 00:00:00 UTC.
    static constexpr double earliestSeconds = -63113904000.0;
    static constexpr double endSeconds = 252423993600.0;

    double seconds = 0;
};

// Seconds between 1970-01-01 and 2001-01-01, both UTC.
inline constexpr double unixSecondsAtReferenceDate = 978307200.0;
