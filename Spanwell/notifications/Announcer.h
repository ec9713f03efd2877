#pragma once

#include "model/Clock.h"
#include "notifications/Announcement.h"
#include "notifications/NotificationKind.h"
#include "store/Entry.h"
#include "store/UserSettings.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>

#include <optional>

// Decides what to announce from successive refresh results, and when blocked accounts are due
// to be checked again. Quiet by design: an account's first figures in a run only set what later
// figures are compared with, so nothing that was already true before is announced, except what
// an earlier run saw happen and had not announced yet. At most one announcement per account per
// refresh; the rest waits for the next. Accounts that are not tracked, and figures of a failed
// fetch, are never announced. A limit's milestones are announced once per reset window,
// remembered across runs in a file of their own; the kinds turned on are the user's settings.
class Announcer {
public:
    // A blocked account is checked this long after its reset, and while the service still
    // reports its limit, again after a wait that doubles from the first to the longest.
    static constexpr double checkAfterResetSeconds = 5;
    static constexpr double firstRetrySeconds = 30;
    static constexpr double longestRetrySeconds = 300;

    // `settings` outlive the announcer; `recordsPath` is where what was announced is kept.
    Announcer(UserSettings& settings, QString recordsPath, Clock clock);

    bool isEnabled(NotificationKind kind) const;

    // After a refresh: `tracked` are the store's entries, `refreshed` the accounts that refresh
    // fetched. Gives what to announce now.
    QList<Announcement> observe(const QList<Entry>& tracked, const QSet<QString>& refreshed);

    // When the next blocked account is due to be checked; absent when none is, or when
    // "usable again" is turned off.
    std::optional<Instant> nextCheck() const;
    // The accounts due to be checked at `at`.
    QSet<QString> dueAt(Instant at) const;

private:
    // What the last good figures of a tracked account said.
    struct Watched {
        QList<LimitReading> readings;
        Instant observedAt;
        bool blocked = false;
        // When the limits that block it reset; absent when one has no reset instant.
        std::optional<Instant> unblocksAt;
        // Checks after that instant that still found it blocked, and when the last one was.
        int overdueChecks = 0;
        Instant lastCheck;
        bool usableAgainPending = false;
    };

    // One limit's milestones in its current window, kept across runs.
    struct Record {
        // The reset instant that names the window.
        std::optional<Instant> window;
        int announced = 0;
        int pending = 0;
    };
    using RecordKey = QPair<QString, QString>;

    std::optional<Announcement> judge(const Entry& entry, Instant now);
    void countFailedCheck(const QString& account, Instant now);
    std::optional<Instant> checkInstant(const Watched& watched) const;
    int enabledMilestones() const;
    void readRecords();
    void writeRecords(Instant now);

    UserSettings& settings;
    QString recordsPath;
    Clock clock;
    QHash<QString, Watched> watched;
    QHash<RecordKey, Record> records;
    QByteArray writtenRecords;
};
