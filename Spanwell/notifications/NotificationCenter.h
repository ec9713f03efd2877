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

    // The kinds of notification turned on are read from `settings`, and followed as they
    // change; what was announced is kept at `recordsPath`. Both outlive the center.
    NotificationCenter(Store& store, UserSettings& settings, const QString& recordsPath, Send send,
                       QObject* parent = nullptr);

private:
    void refreshed(const QSet<QString>& accounts);
    void schedule();
    void checkBlocked();

    Store& store;
    Announcer announcer;
    Send send;
    QTimer* checkTimer;
};
