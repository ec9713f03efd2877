#pragma once

#include "notifications/Announcement.h"

#include <QHash>
#include <QObject>
#include <QPair>
#include <QString>

#include <functional>

// Shows notifications through the desktop's notification service (org.freedesktop.Notifications
// on the session bus), each with an action that opens the panel at its account. A limit used up
// takes the place of the notice that it was nearly used up, and asks the service to stand out
// (critical urgency). Where no such service answers, or on a system without that bus, the
// fallback shows them instead.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    using Fallback = std::function<void(const Announcement&)>;

    // On the session bus, or on the bus at `busAddress` when it is given.
    explicit DesktopNotifications(Fallback fallback, const QString& busAddress = {},
                                  QObject* parent = nullptr);
    ~DesktopNotifications() override;

    void send(const Announcement& announcement);

signals:
    // The user chose the action of a notification sent from here, about that account.
    void opened(const QString& account);

private slots:
    void actionInvoked(uint id, const QString& action);
    void closed(uint id, uint reason);

private:
    Fallback fallback;
    QString connectionName;
    // A connection to a bus given by its address, which goes with this object.
    bool ownConnection = false;
    // Only ours of the service's notifications open the panel, each at its account.
    QHash<uint, QString> shown;
    // The notice shown for each account's limit, by account and limit.
    QHash<QPair<QString, QString>, uint> limitNotices;
};
