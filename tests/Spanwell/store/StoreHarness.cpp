#include "StoreHarness.h"

#include "accounts/Discovery.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTest>

void ScriptedUsageClient::answer(const QString& token, const QString& path,
                                 Result<QByteArray> reply) {
    const QMutexLocker lock(&mutex);
    replies.insert(token + QLatin1Char(' ') + path, std::move(reply));
}

QList<ScriptedUsageClient::Request> ScriptedUsageClient::requests() const {
    const QMutexLocker lock(&mutex);
    return received;
}

int ScriptedUsageClient::count(const QString& token, const QString& path) const {
    const QMutexLocker lock(&mutex);
    return static_cast<int>(std::count_if(received.begin(), received.end(), [&](const Request& r) {
        return r.token == token && r.path == path;
    }));
}

UsageClient::Result<QByteArray> ScriptedUsageClient::get(const QString& path,
                                                         const QString& token) const {
    const QMutexLocker lock(&mutex);
    received.append({path, token});
    return replies.value(token + QLatin1Char(' ') + path, Failure::http(404));
}

StoreHarness::StoreHarness()
    : cachePath(home.pathOf(QStringLiteral("data/snapshots.json")))
    , settingsPath(home.pathOf(QStringLiteral("settings.ini"))) {
    home.makeFolder(QStringLiteral("data"));
}

Account StoreHarness::addAccount(const QString& folderName, const QString& token,
                                 std::optional<Instant> tokenExpiresAt) {
    const QString folder =
        home.addAccount(folderName, folderName.mid(1) + QStringLiteral("@example.com"));
    setCredential(folderName, token.isEmpty() ? std::nullopt
                                              : std::optional<Credential>(
                                                    Credential{token, tokenExpiresAt, std::nullopt,
                                                               std::nullopt, std::nullopt}));
    for (const Account& account : Discovery::accounts(home.path(), FileSystem::local()))
        if (account.configDir == folder)
            return account;
    qFatal("The account in %s was not discovered", qPrintable(folder));
}

void StoreHarness::setCredential(const QString& folderName, std::optional<Credential> credential) {
    const QMutexLocker lock(&mutex);
    credentials.insert(home.pathOf(folderName), std::move(credential));
}

void StoreHarness::closeCredentialGate() {
    gateClosed = true;
}

void StoreHarness::openCredentialGate() {
    gateClosed = false;
    gate->release(1000);
}

StoreServices StoreHarness::services() {
    return StoreServices{
        [this] { return clock.now(); },
        home.path(),
        &fileSystem,
        [this](const Account& account, double timeoutSeconds) {
            if (gateClosed) {
                ++waiting;
                gate->acquire();
                --waiting;
            }
            const QMutexLocker lock(&mutex);
            recorded.credentialReads.append(account.configDir);
            recorded.credentialTimeouts.append(timeoutSeconds);
            return credentials.value(account.configDir);
        },
        [this](const QString& configDir, bool, double timeoutSeconds) {
            {
                const QMutexLocker lock(&mutex);
                recorded.renewals.append(configDir);
                recorded.renewalTimeouts.append(timeoutSeconds);
            }
            if (onRenewal)
                onRenewal();
            return false;
        },
        client,
        [this](qint64) {
            const QMutexLocker lock(&mutex);
            ++recorded.updateChecks;
            return updateReply;
        },
        cachePath,
        settingsPath,
    };
}

std::unique_ptr<Store> StoreHarness::makeStore() {
    auto store = std::make_unique<Store>(services());
    if (!QTest::qWaitFor([&store] { return store->isLoaded(); }, 5000))
        qFatal("The store did not show its cached figures");
    return store;
}

bool StoreHarness::refreshAndWait(Store& store) {
    QSignalSpy finished(&store, &Store::refreshFinished);
    if (!store.refresh())
        return false;
    return finished.wait(5000);
}

StoreHarness::Calls StoreHarness::calls() const {
    const QMutexLocker lock(&mutex);
    return recorded;
}

QByteArray usageReply(double session, double week) {
    const QJsonObject reply{
        {QStringLiteral("five_hour"), QJsonObject{{QStringLiteral("utilization"), session}}},
        {QStringLiteral("seven_day"), QJsonObject{{QStringLiteral("utilization"), week}}},
    };
    return QJsonDocument(reply).toJson();
}

QByteArray profileReply(const QString& status) {
    const QJsonObject reply{
        {QStringLiteral("organization"),
         QJsonObject{{QStringLiteral("subscription_status"), status}}},
    };
    return QJsonDocument(reply).toJson();
}
