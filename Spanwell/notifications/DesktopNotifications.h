#pragma once

#include "notifications/Announcement.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

// Shows notifications through the desktop's notification service (org.freedesktop.Notifications
// on the session bus), each with an action that opens the panel. Where no such service answers,
// or on a system without that bus, the fallback shows them instead.
class DesktopNotifications : public QObject {
    Q_OBJECT

public:
    using Fallback = std::function<void(const Notification&)>;

    // On the session bus, or on the bus at `busAddress` when it is given.
    explicit DesktopNotifications(Fallback fallback, const QString& busAddress = {},
                                  QObject* parent = nullptr);
    ~DesktopNotifications() override;

    void send(const Notification& notification);

signals:
    // The user chose the action of a notification sent from here.
    void opened();

private slots:
    void actionInvoked(uint id, const QString& action);
    void closed(uint id, uint reason);

private:
    Fallback fallback;
    QString connectionName;
    // A connection to a bus given by its address, which goes with this object.
    bool ownConnection = false;
    // Only ours of the service's notifications open the panel.
    QSet<uint> shown;
};
