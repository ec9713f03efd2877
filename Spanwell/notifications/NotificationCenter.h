#pragma once

#include "notifications/Announcer.h"

#include <QObject>

#include <functional>

class QTimer;
class Store;

// Follows the store's refreshes and sends what the announcer decides on. Keeps a timer for the
// earliest reset among the blocked accounts, and refreshes those accounts then, so that an
// account usable again is announced without waiting for the next periodic refresh.
class NotificationCenter : public QObject {
    Q_OBJECT

public:
    using Send = std::function<void(const Announcement&)>;

    // `settingsPath` is the INI file of the user's settings; empty for the platform's own.
    NotificationCenter(Store& store, const QString& settingsPath, Send send,
                       QObject* parent = nullptr);

    bool isEnabled(NotificationKind kind) const { return announcer.isEnabled(kind); }
    void setEnabled(NotificationKind kind, bool on);
    void setNearlyUsedUpPercent(double percent) { announcer.setNearlyUsedUpPercent(percent); }

private:
    void refreshed(const QSet<QString>& accounts);
    void schedule();
    void checkBlocked();

    Store& store;
    Announcer announcer;
    Send send;
    QTimer* checkTimer;
};
