#include "notifications/Announcer.h"

#include "model/Format.h"
#include "model/LimitWindow.h"
#include "notifications/AnnouncementRecords.h"
#include "store/Preferences.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

// A weekly limit that resets this soon with this much of it unused is worth a reminder.
constexpr double resetsSoonSeconds = 8 * 3600;
constexpr double leastUnusedPercent = 30;
// The service may report one window's reset a little differently from reply to reply; a new
// window resets at least a window's length after the one before.
constexpr double windowToleranceSeconds = 3600;
// A window this long past its reset cannot come back; what was announced in it is forgotten.
constexpr double forgetAfterSeconds = 8 * 86400;

// The milestones of a limit, as flags.
enum Milestone : int { nearlyUsedUp = 1, usedUp = 2, resetsSoon = 4 };

bool sameWindow(std::optional<Instant> first, std::optional<Instant> second) {
    if (!first || !second)
        return !first && !second;
    return std::abs(*first - *second) <= windowToleranceSeconds;
}

bool resetsSoonUnused(const LimitReading& limit, Instant now) {
    if (!LimitWindow::isWeekly(limit.title) || !limit.resetsAt)
        return false;
    const double left = *limit.resetsAt - now;
    return left > 0 && left <= resetsSoonSeconds &&
           usedUpPercent - limit.percent >= leastUnusedPercent;
}

// The milestones that hold for `limit` at `now`, with a limit nearly used up from
// `nearlyUsedUpAt` on.
int reached(const LimitReading& limit, Instant now, double nearlyUsedUpAt) {
    int flags = 0;
    if (limit.percent >= nearlyUsedUpAt)
        flags |= nearlyUsedUp;
    if (limit.percent >= usedUpPercent)
        flags |= usedUp;
    if (resetsSoonUnused(limit, now))
        flags |= resetsSoon;
    return flags;
}

bool blocks(const LimitReading& limit) {
    return limit.coversWholeAccount() && limit.percent >= usedUpPercent;
}

// Judged by the figures as the service sent them: a reset instant that has passed does not
// make an account usable until the service says so too.
bool isBlocked(const QList<LimitReading>& limits) {
    return std::any_of(limits.begin(), limits.end(), blocks);
}

std::optional<Instant> unblocksAt(const QList<LimitReading>& limits) {
    std::optional<Instant> latest;
    for (const LimitReading& limit : limits) {
        if (!blocks(limit))
            continue;
        if (!limit.resetsAt)
            return std::nullopt;
        latest = std::max(latest.value_or(*limit.resetsAt), *limit.resetsAt);
    }
    return latest;
}

const LimitReading* find(const QList<LimitReading>& limits, const QString& title) {
    const auto found =
        std::find_if(limits.begin(), limits.end(),
                     [&title](const LimitReading& limit) { return limit.title == title; });
    return found == limits.end() ? nullptr : &*found;
}

QString resetSentence(const LimitReading& limit, Instant now) {
    if (!limit.resetsAt)
        return {};
    const QString countdown = Format::countdown(*limit.resetsAt, now);
    return countdown == QStringLiteral("now")
               ? QStringLiteral(" It resets now.")
               : QStringLiteral(" It resets in ") + countdown + QLatin1Char('.');
}

// What a limit's milestone is announced with; every one names the account.
Notification limitText(Announcement::Moment moment, const QString& email, const LimitReading& limit,
                       Instant now) {
    const QString& title = limit.title;
    const QString reset = resetSentence(limit, now);
    if (moment == Announcement::Moment::usedUp)
        return {title + QStringLiteral(" limit used up"),
                email + QStringLiteral(" has used all of its ") + title +
                    QStringLiteral(" limit.") + reset};
    if (moment == Announcement::Moment::resetsSoonUnused)
        return {title + QStringLiteral(" limit resets soon"),
                email + QStringLiteral(" still has ") +
                    Format::percent(usedUpPercent - limit.percent) + QStringLiteral(" of its ") +
                    title + QStringLiteral(" limit left.") + reset};
    return {title + QStringLiteral(" limit nearly used up"),
            email + QStringLiteral(" has used ") + Format::percent(limit.percent) +
                QStringLiteral(" of its ") + title + QStringLiteral(" limit.") + reset};
}

double retryDelay(int overdueChecks) {
    return std::min(Announcer::firstRetrySeconds * std::pow(2.0, overdueChecks - 1),
                    Announcer::longestRetrySeconds);
}

} // namespace

Announcer::Announcer(UserSettings& userSettings, QString recordsFile, Clock presentClock)
    : settings(userSettings)
    , recordsPath(std::move(recordsFile))
    , clock(std::move(presentClock)) {
    readRecords();
}

bool Announcer::isEnabled(NotificationKind kind) const {
    return settings.value(NotificationKinds::setting(kind));
}

int Announcer::enabledMilestones() const {
    int flags = 0;
    if (isEnabled(NotificationKind::nearlyUsedUp))
        flags |= nearlyUsedUp | usedUp;
    if (isEnabled(NotificationKind::useItOrLoseIt))
        flags |= resetsSoon;
    return flags;
}

QList<Announcement> Announcer::observe(const QList<Entry>& tracked,
                                       const QSet<QString>& refreshed) {
    const Instant now = clock();
    // An account that comes back after being hidden starts afresh: what happened meanwhile was
    // not seen.
    QSet<QString> trackedIds;
    for (const Entry& entry : tracked)
        trackedIds.insert(entry.id());
    watched.removeIf([&trackedIds](const auto& item) { return !trackedIds.contains(item.key()); });

    QList<Announcement> announcements;
    for (const Entry& entry : tracked) {
        if (!refreshed.contains(entry.id()))
            continue;
        if (entry.problem || !entry.snapshot) {
            countFailedCheck(entry.id(), now);
            continue;
        }
        if (std::optional<Announcement> announcement = judge(entry, now))
            announcements.append(*announcement);
    }
    writeRecords(now);
    return announcements;
}

std::optional<Announcement> Announcer::judge(const Entry& entry, Instant now) {
    const QString& id = entry.id();
    const QList<LimitReading>& readings = entry.snapshot->limits;
    const auto previous = watched.constFind(id);
    const bool seenBefore = previous != watched.constEnd();
    const double nearlyUsedUpAt = Preferences::nearlyUsedUpPercent(settings);

    for (const LimitReading& limit : readings) {
        Record& record = records[{id, limit.title}];
        if (!sameWindow(record.window, limit.resetsAt))
            record = Record{limit.resetsAt, 0, 0};
        const int holds = reached(limit, now, nearlyUsedUpAt);
        const LimitReading* before = seenBefore ? find(previous->readings, limit.title) : nullptr;
        if (before) {
            // A window that reset since began at none of its milestones.
            const int held = sameWindow(before->resetsAt, limit.resetsAt)
                                 ? reached(*before, previous->observedAt, nearlyUsedUpAt)
                                 : 0;
            record.pending |= holds & ~held & ~record.announced;
        }
        record.pending &= holds & enabledMilestones();
    }

    Watched next;
    next.readings = readings;
    next.observedAt = now;
    next.blocked = isBlocked(readings);
    next.unblocksAt = next.blocked ? unblocksAt(readings) : std::nullopt;
    next.lastCheck = now;
    if (next.unblocksAt && *next.unblocksAt <= now)
        next.overdueChecks = (seenBefore && previous->blocked ? previous->overdueChecks : 0) + 1;
    next.usableAgainPending = seenBefore && !next.blocked &&
                              isEnabled(NotificationKind::usableAgain) &&
                              (previous->blocked || previous->usableAgainPending);
    watched.insert(id, next);

    const auto announceLimit = [&](int milestone,
                                   Announcement::Moment moment) -> std::optional<Announcement> {
        for (const LimitReading& limit : readings) {
            Record& record = records[{id, limit.title}];
            if (!(record.pending & milestone))
                continue;
            // Used up says more than nearly used up, which then needs no word of its own.
            record.announced |= milestone == usedUp ? (usedUp | nearlyUsedUp) : milestone;
            record.pending &= ~record.announced;
            return Announcement{id, moment, limit.title,
                                limitText(moment, entry.account.email, limit, now)};
        }
        return std::nullopt;
    };
    if (auto announcement = announceLimit(usedUp, Announcement::Moment::usedUp))
        return announcement;
    if (next.usableAgainPending) {
        watched[id].usableAgainPending = false;
        return Announcement{id,
                            Announcement::Moment::usableAgain,
                            {},
                            {QStringLiteral("Usable again"),
                             entry.account.email + QStringLiteral(" can be used again.")}};
    }
    if (auto announcement = announceLimit(nearlyUsedUp, Announcement::Moment::nearlyUsedUp))
        return announcement;
    return announceLimit(resetsSoon, Announcement::Moment::resetsSoonUnused);
}

// A fetch that failed after a blocked account's reset still counts as a check, so that the
// next waits longer.
void Announcer::countFailedCheck(const QString& account, Instant now) {
    const auto found = watched.find(account);
    if (found == watched.end() || !found->unblocksAt || *found->unblocksAt > now)
        return;
    ++found->overdueChecks;
    found->lastCheck = now;
}

std::optional<Instant> Announcer::checkInstant(const Watched& account) const {
    if (!account.blocked || !account.unblocksAt)
        return std::nullopt;
    if (account.overdueChecks == 0)
        return *account.unblocksAt + checkAfterResetSeconds;
    return account.lastCheck + retryDelay(account.overdueChecks);
}

std::optional<Instant> Announcer::nextCheck() const {
    if (!isEnabled(NotificationKind::usableAgain))
        return std::nullopt;
    std::optional<Instant> earliest;
    for (const Watched& account : watched)
        if (const std::optional<Instant> at = checkInstant(account))
            earliest = std::min(earliest.value_or(*at), *at);
    return earliest;
}

QSet<QString> Announcer::dueAt(Instant at) const {
    QSet<QString> due;
    if (!isEnabled(NotificationKind::usableAgain))
        return due;
    for (auto account = watched.cbegin(); account != watched.cend(); ++account)
        if (const std::optional<Instant> checkAt = checkInstant(*account);
            checkAt && *checkAt <= at)
            due.insert(account.key());
    return due;
}

void Announcer::readRecords() {
    const QJsonArray stored =
        QJsonDocument::fromJson(AnnouncementRecords::read(recordsPath, settings)).array();
    for (const QJsonValue& value : stored) {
        const QJsonObject object = value.toObject();
        const QJsonValue window = object.value(QStringLiteral("resetsAt"));
        records.insert({object.value(QStringLiteral("account")).toString(),
                        object.value(QStringLiteral("limit")).toString()},
                       Record{window.isDouble() ? std::optional<Instant>(Instant(window.toDouble()))
                                                : std::nullopt,
                              object.value(QStringLiteral("announced")).toInt(),
                              object.value(QStringLiteral("pending")).toInt()});
    }
    writtenRecords = QJsonDocument(stored).toJson(QJsonDocument::Compact);
}

void Announcer::writeRecords(Instant now) {
    records.removeIf([now](const auto& item) {
        const Record& record = item.value();
        return (record.announced == 0 && record.pending == 0) ||
               (record.window && now - *record.window > forgetAfterSeconds);
    });
    // In a fixed order, so that the same records always read the same.
    QList<RecordKey> keys = records.keys();
    std::sort(keys.begin(), keys.end());
    QJsonArray list;
    for (const RecordKey& key : keys) {
        const Record& record = records[key];
        QJsonObject object{{QStringLiteral("account"), key.first},
                           {QStringLiteral("limit"), key.second},
                           {QStringLiteral("announced"), record.announced},
                           {QStringLiteral("pending"), record.pending}};
        if (record.window)
            object.insert(QStringLiteral("resetsAt"), record.window->secondsSinceReferenceDate());
        list.append(object);
    }
    const QByteArray text = QJsonDocument(list).toJson(QJsonDocument::Compact);
    if (text == writtenRecords)
        return;
    if (AnnouncementRecords::write(recordsPath, text))
        writtenRecords = text;
}
