#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// The desktop's notification service as a test plays it: it records each notification and
// names them 41, 42, … in turn.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString summary;
        QString body;
        QStringList actions;
        uint replaces = 0;
        QVariantMap hints;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
        calls.append({summary, body, actions, replaces, hints});
        return 40 + uint(calls.size());
    }

signals:
    void ActionInvoked(uint id, const QString& action);
};
