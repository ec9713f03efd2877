#include "StoreHarness.h"

#include "accounts/Discovery.h"
#include "store/WorkerPool.h"

#include <QSignalSpy>
#include <QTest>

void ScriptedUsageClient::answer(const QString& token, const QString& path,
                                 Result<QByteArray> reply) {
    const QMutexLocker lock(&mutex);
    replies.insert(token + QLatin1Char(' ') + path, std::move(reply));
}

QStringList ScriptedUsageClient::requests() const {
    const QMutexLocker lock(&mutex);
    return received;
}

qsizetype ScriptedUsageClient::count(const QString& token, const QString& path) const {
    return requests().count(token + QLatin1Char(' ') + path);
}

UsageClient::Result<QByteArray> ScriptedUsageClient::get(const QString& path,
                                                         const QString& token) const {
    const QMutexLocker lock(&mutex);
    received.append(token + QLatin1Char(' ') + path);
    return replies.value(received.last(), Failure::http(404));
}

StoreHarness::StoreHarness()
    : cachePath(home.pathOf(QStringLiteral("data/snapshots.json")))
    , settingsPath(home.pathOf(QStringLiteral("settings.ini"))) {
    home.makeFolder(QStringLiteral("data"));
}

// Work still under way on the pools, such as a name check the flow no longer waits for, uses
// this harness's stand-ins.
StoreHarness::~StoreHarness() {
    openCredentialGate();
    for (QThreadPool* pool : {&WorkerPool::readers(), &WorkerPool::instance()})
        if (!pool->waitForDone(10000))
            qWarning("Work outlived its test");
}

Account StoreHarness::addAccount(const QString& folderName, const QString& token) {
    const QString folder =
        home.addAccount(folderName, folderName.mid(1) + QStringLiteral("@example.com"));
    setCredential(folderName, token.isEmpty()
                                  ? std::nullopt
                                  : std::optional<Credential>(Credential{token, {}, {}, {}, {}}));
    for (const Account& account : Discovery::accounts(home.path(), FileSystem::local()))
        if (account.configDir == folder)
            return account;
    qFatal("The account in %s was not discovered", qPrintable(folder));
}

void StoreHarness::setCredential(const QString& folderName, std::optional<Credential> credential) {
    const QMutexLocker lock(&mutex);
    credentials.insert(home.pathOf(folderName), std::move(credential));
}

void StoreHarness::openCredentialGate() {
    gateClosed = false;
    gate.release(1000);
}

StoreServices StoreHarness::services() {
    return StoreServices{
        clock.reader(),
        home.path(),
        &fileSystem,
        [this](const Account& account, double) {
            if (gateClosed) {
                ++waiting;
                gate.acquire();
                --waiting;
            }
            const QMutexLocker lock(&mutex);
            return credentials.value(account.configDir);
        },
        [this](const QString&, bool, double) {
            ++renewals;
            if (onRenewal)
                onRenewal();
            return false;
        },
        client,
        [this](qint64) { return updateReply; },
        cachePath,
    };
}

UserSettings& StoreHarness::openSettings() {
    opened.push_back(std::make_unique<UserSettings>(settingsPath));
    return *opened.back();
}

std::unique_ptr<Store> StoreHarness::makeStore(UserSettings* settings) {
    auto store = std::make_unique<Store>(services(), settings ? *settings : openSettings());
    if (!QTest::qWaitFor([&store] { return store->isLoaded(); }, 5000))
        qFatal("The store did not show its cached figures");
    return store;
}

bool StoreHarness::refreshAndWait(Store& store) {
    QSignalSpy finished(&store, &Store::refreshFinished);
    return store.refresh() && finished.wait(5000);
}

QByteArray usageReply(double session, double week) {
    return QStringLiteral(R"({"five_hour":{"utilization":%1},"seven_day":{"utilization":%2}})")
        .arg(session)
        .arg(week)
        .toUtf8();
}
