#include "model/Calendar.h"

Calendar::Calendar(QTimeZone timeZone)
    : zone(std::move(timeZone)) {}

Calendar Calendar::current() {
    return Calendar(QTimeZone::systemTimeZone());
}

QDateTime Calendar::dateTime(Instant instant) const {
    return instant.toDateTime().toTimeZone(zone);
}

std::optional<Instant> Calendar::addingMonths(Instant instant, int months) const {
    const QDateTime start = dateTime(instant);
    if (!start.isValid())
        return std::nullopt;
    const QDateTime moved = start.addMonths(months);
    if (!moved.isValid())
        return std::nullopt;
    // Move by the whole-millisecond difference so that any fraction below a millisecond, which
    // QDateTime cannot hold, survives the arithmetic.
    const double shift = static_cast<double>(moved.toMSecsSinceEpoch() - start.toMSecsSinceEpoch());
    const Instant result = instant + shift / 1000.0;
    if (!result.isWithinCalendarYears())
        return std::nullopt;
    return result;
}

std::optional<int> Calendar::wholeMonths(Instant from, Instant to) const {
    const QDateTime start = dateTime(from);
    const QDateTime end = dateTime(to);
    if (!start.isValid() || !end.isValid())
        return std::nullopt;
    const QDate startDate = start.date();
    const QDate endDate = end.date();
    int months = (endDate.year() - startDate.year()) * 12 + (endDate.month() - startDate.month());
    // The estimate counts calendar months; step back while it overshoots, forward while the
    // next month still fits (a later day of the month, or a clamped short month).
    while (true) {
        const std::optional<Instant> reached = addingMonths(from, months);
        if (!reached)
            return std::nullopt;
        if (*reached > to)
            --months;
        else
            break;
    }
    while (true) {
        const std::optional<Instant> next = addingMonths(from, months + 1);
        if (!next || *next > to)
            break;
        ++months;
    }
    return months;
}

bool Calendar::isSameDay(Instant first, Instant second) const {
    return dateTime(first).date() == dateTime(second).date();
}
