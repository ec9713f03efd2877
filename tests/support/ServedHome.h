#pragma once

#include "support/LoopbackHttpServer.h"
#include "support/TemporaryHome.h"

#include <QHash>
#include <QMutex>
#include <QProcessEnvironment>

// A home folder whose accounts hold credentials, beside a usage service on this computer that
// answers for each of them, for runs of the spanwell executable against both.
class ServedHome {
public:
    ServedHome();

    // An account with a token of its own. The service answers its usage with these shares,
    // resetting in 2.5 hours and 3.5 days, or fails with `status` and a Retry-After header
    // `retryAfter` when one is given.
    QString addAccount(const QString& folderName, const QString& email, double session, double week,
                       int status = 200, const QByteArray& retryAfter = {});

    // The service keeps the account's usage requests waiting for ever.
    void stopAnswering(const QString& folderName);

    // This home and this service, without a display.
    QProcessEnvironment environment() const;
    QString cachePath() const;
    int usageRequests() const;

    TemporaryHome home;
    LoopbackHttpServer server;

private:
    mutable QMutex mutex;
    QHash<QByteArray, LoopbackHttpServer::Answer> usage;
};
