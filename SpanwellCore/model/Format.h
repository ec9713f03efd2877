#pragma once

#include "model/Calendar.h"
#include "model/Instant.h"
#include "model/Money.h"

#include <QLocale>
#include <QString>

// The panel's compact writing of percentages, of the time left until an instant, of clock
// times and of money.
namespace Format {

// Rounded half away from zero, then "%": 42.5 gives "43%". Beyond 999 it says "999+%".
QString percent(double value);
// "now" under a minute (and for the past), else "59m", "23h 59m" or "6d 23h".
QString countdown(Instant to, Instant from);
// The clock time of `at` in the locale's own hour cycle, without seconds ("15:40", "3:40 PM"),
// after its abbreviated weekday when it falls on another day than `now` ("Tue 9:00 AM").
QString clockText(Instant at, Instant now, const Calendar& calendar, const QLocale& locale);
// The amount with its currency's symbol where Qt's locales know one, else its code: "$15.40",
// "CHF 15.40". The symbol is the user's own for the user's own currency, else the one most
// locales of the currency write.
QString money(const Money& amount);
// "$15.40 of $20.00"; one amount alone when the other is not known; empty with neither.
QString moneyUse(const MoneyUse& use);

} // namespace Format
