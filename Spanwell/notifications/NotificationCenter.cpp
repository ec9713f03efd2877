#include "notifications/NotificationCenter.h"

#include "store/Store.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>

NotificationCenter::NotificationCenter(Store& observed, UserSettings& settings,
                                       const QString& recordsPath, Send sender, QObject* parent)
    : QObject(parent)
    , store(observed)
    , announcer(settings, recordsPath, [&observed] { return observed.now(); })
    , send(std::move(sender))
    , checkTimer(new QTimer(this)) {
    checkTimer->setSingleShot(true);
    // A coarse timer may fire a little early, before the account is due.
    checkTimer->setTimerType(Qt::PreciseTimer);
    connect(checkTimer, &QTimer::timeout, this, &NotificationCenter::checkBlocked);
    connect(&store, &Store::accountsRefreshed, this, &NotificationCenter::refreshed);
    // "Usable again" turned on or off starts or stops the checks.
    connect(&settings, &UserSettings::changed, this, &NotificationCenter::schedule);
}

void NotificationCenter::refreshed(const QSet<QString>& accounts) {
    for (const Announcement& announcement : announcer.observe(store.entries(), accounts))
        send(announcement);
    schedule();
}

void NotificationCenter::schedule() {
    const std::optional<Instant> next = announcer.nextCheck();
    if (!next) {
        checkTimer->stop();
        return;
    }
    const double milliseconds = std::ceil((*next - store.now()) * 1000);
    checkTimer->start(int(std::clamp(milliseconds, 0.0, double(std::numeric_limits<int>::max()))));
}

// A refresh that runs now drops this one; its own result schedules the check again.
void NotificationCenter::checkBlocked() {
    const QSet<QString> due = announcer.dueAt(store.now());
    if (due.isEmpty())
        schedule();
    else
        store.refreshAccounts(due);
}
