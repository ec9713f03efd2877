#include "store/Demo.h"

#include "model/LimitWindow.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The made-up history has a reading every five minutes; use grows in waking hours only (8:00 to
// 23:00), so that the week shows its days and nights.
constexpr double demoSpacingSeconds = 300;
constexpr double demoHistorySeconds = 7 * 86400;
constexpr int wakingFrom = 8;
constexpr int wakingUntil = 23;
// How full earlier windows got, taken in turn; nights leave a window at 0 whatever it says.
constexpr double earlierPeaks[] = {35, 70, 92, 100, 48, 22, 81, 60};

// The hour on the calendar's clock at instants taken in order. The zone's offset is asked again
// only past its next transition: a conversion for every step of the fortnight took most of the
// picture's made-up data.
class ClockHours {
public:
    explicit ClockHours(const Calendar& userCalendar)
        : calendar(userCalendar) {}

    int at(Instant instant) {
        if (instant < offsetFrom || instant >= offsetUntil)
            learnOffset(instant);
        const double hours = std::floor((instant.unixSeconds() + offsetSeconds) / 3600);
        return int(hours - 24 * std::floor(hours / 24));
    }

private:
    void learnOffset(Instant instant) {
        const QDateTime moment = calendar.dateTime(instant);
        offsetSeconds = moment.offsetFromUtc();
        offsetFrom = instant;
        const QTimeZone::OffsetData next = calendar.timeZone().nextTransition(moment);
        offsetUntil = next.atUtc.isValid() ? Instant::fromDateTime(next.atUtc) : Instant(endless);
    }

    const Calendar& calendar;
    static constexpr double endless = std::numeric_limits<double>::infinity();
    // Where the offset holds: from the first instant it was learnt at to the next transition.
    int offsetSeconds = 0;
    Instant offsetFrom{endless};
    Instant offsetUntil{-endless};
};

// Waking seconds on a grid of five-minute steps from well before the week, so that a weekly
// window that began before it is measured too: use grows with them.
class WakingTime {
public:
    WakingTime(Instant now, const Calendar& calendar)
        : start(now - 2 * demoHistorySeconds) {
        ClockHours clock(calendar);
        cumulative.reserve(qsizetype(2 * demoHistorySeconds / demoSpacingSeconds) + 1);
        double sum = 0;
        for (Instant at = start; at <= now; at = at + demoSpacingSeconds) {
            const int hour = clock.at(at);
            sum += hour >= wakingFrom && hour < wakingUntil ? demoSpacingSeconds : 0;
            cumulative.append(sum);
        }
    }
    double between(Instant from, Instant to) const { return at(to) - at(from); }
    double at(Instant instant) const {
        const qsizetype step = qsizetype(std::floor((instant - start) / demoSpacingSeconds));
        return cumulative.at(std::clamp<qsizetype>(step, 0, cumulative.size() - 1));
    }

private:
    Instant start;
    QList<double> cumulative;
};

// Use that grows with waking time from each window's start to its peak, resetting at each
// window's end: the current window ends at the reading's percent, the earlier ones at the
// peaks above. A limit without a reset instant had its last window end an hour ago.
QList<UsePoint> madeUpWeek(const LimitReading& limit, Instant now, const WakingTime& waking) {
    const double length = LimitWindow::length(limit.title).value_or(LimitWindow::weekSeconds);
    const Instant currentEnd = limit.resetsAt.value_or(now - 3600);
    QList<UsePoint> points;
    points.reserve(qsizetype(demoHistorySeconds / demoSpacingSeconds) + 1);
    // What a window's points share, worked out once for each window.
    int window = -1;
    double peak = 0;
    double wakingAtStart = 0;
    double whole = 0;
    for (Instant at = now - demoHistorySeconds; at <= now; at = at + demoSpacingSeconds) {
        if (at > currentEnd && !limit.resetsAt) {
            points.append({at, 0});
            continue;
        }
        const int windowsBack = int(std::ceil((currentEnd - at) / length)) - 1;
        if (windowsBack != window) {
            window = windowsBack;
            const Instant end = currentEnd - windowsBack * length;
            const Instant windowStart = end - length;
            const bool current = windowsBack == 0 && limit.resetsAt;
            peak = current ? limit.percent : earlierPeaks[size_t(windowsBack) % 8];
            wakingAtStart = waking.at(windowStart);
            whole = waking.between(windowStart, current ? now : end);
        }
        const double percent = whole > 0 ? peak * (waking.at(at) - wakingAtStart) / whole : 0;
        points.append({at, std::round(percent)});
    }
    return points;
}

struct DemoReading {
    const char* title;
    double percent;
    std::optional<double> resetInSeconds;
};

struct DemoAccount {
    const char* folderName;
    const char* email;
    const char* plan;
    QList<DemoReading> readings;
    double renewalInSeconds;
};

Entry entry(const DemoAccount& demo, Instant now, const QString& home, const Calendar& calendar) {
    QList<LimitReading> limits;
    for (const DemoReading& reading : demo.readings) {
        const std::optional<double> resetIn = reading.resetInSeconds;
        limits.append(
            LimitReading{QString::fromUtf8(reading.title), reading.percent,
                         resetIn ? std::optional<Instant>(now + *resetIn) : std::nullopt});
    }
    // A month before the renewal, so that the estimated renewal falls exactly on it.
    const Subscription subscription{QStringLiteral("active"),
                                    calendar.addingMonths(now + demo.renewalInSeconds, -1)};
    const Account account{home + QLatin1Char('/') + QLatin1String(demo.folderName),
                          QStringLiteral("demo"), QString::fromUtf8(demo.email), std::nullopt,
                          std::nullopt};
    return Entry{account,
                 Snapshot{limits, QString::fromUtf8(demo.plan), subscription, std::nullopt, now},
                 std::nullopt};
}

} // namespace

namespace Demo {

Accounts accounts(Instant now, const QString& home, const Calendar& calendar, Weeks weeks) {
    const QList<DemoAccount> madeUp{
        {".claude",
         "maya@example.com",
         "Max",
         {{"Session", 42, 6660}, {"Week", 61, 187920}, {"Week, Fable", 48, 187920}},
         691200},
        {".claude-work",
         "work@example.com",
         "Team 5x",
         {{"Session", 100, 2304}, {"Week", 72, 365400}, {"Week, Fable", 55, 365400}},
         1641600},
        {".claude-client",
         "client@example.com",
         "Max",
         {{"Session", 64, 12240}, {"Week", 58, 353160}, {"Week, Fable", 100, 353160}},
         259200},
        {".claude-side",
         "side@example.com",
         "Pro",
         {{"Session", 0, std::nullopt}, {"Week", 9, 505080}},
         2073600},
    };
    Accounts made;
    for (const DemoAccount& account : madeUp)
        made.entries.append(entry(account, now, home, calendar));
    if (weeks == Weeks::leftOut)
        return made;
    const WakingTime waking(now, calendar);
    for (const Entry& madeUpEntry : std::as_const(made.entries))
        for (const LimitReading& limit : madeUpEntry.snapshot->limits)
            made.recentUse.append({madeUpEntry.id(), limit.title, madeUpWeek(limit, now, waking)});
    return made;
}

std::unique_ptr<Store> store(Accounts accounts) {
    return Store::demo(std::move(accounts.entries), systemClock(), std::move(accounts.recentUse));
}

} // namespace Demo
