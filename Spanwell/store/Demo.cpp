#include "store/Demo.h"

namespace {

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

std::unique_ptr<Store> store(Instant now, const QString& home, const Calendar& calendar) {
    const QList<DemoAccount> accounts{
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
    QList<Entry> entries;
    for (const DemoAccount& account : accounts)
        entries.append(entry(account, now, home, calendar));
    return Store::demo(entries);
}

} // namespace Demo
