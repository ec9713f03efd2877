#pragma once

#include "model/Instant.h"

#include <QTimeZone>

#include <optional>

// The Gregorian calendar in one time zone: the user's own in the product, a fixed one in tests.
// All month arithmetic and day comparisons of the program go through here.
class Calendar {
public:
    explicit Calendar(QTimeZone timeZone);
    // The user's calendar: the system's current time zone.
    static Calendar current();

    const QTimeZone& timeZone() const { return zone; }
    QDateTime dateTime(Instant instant) const;

    // The same wall-clock time `months` months later (or earlier), clamped to the last day of a
    // shorter month. Absent when the calendar cannot form that date.
    std::optional<Instant> addingMonths(Instant instant, int months) const;
    // Whole months from `from` to `to`: the largest m with addingMonths(from, m) <= to.
    // Negative when `to` lies a month or more before `from`.
    std::optional<int> wholeMonths(Instant from, Instant to) const;
    bool isSameDay(Instant first, Instant second) const;

private:
    QTimeZone zone;
};
