#pragma once

#include "store/Store.h"
#include "support/TemporaryHome.h"
#include "support/WatchedFileSystem.h"

#include <QHash>
#include <QMutex>
#include <QSemaphore>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

// A clock that tests move by hand, read from any thread.
class ManualClock {
public:
    Instant now() const { return Instant(seconds.load()); }
    Clock reader() const {
        return [this] { return now(); };
    }
    void advance(double by) { seconds = seconds.load() + by; }

private:
    std::atomic<double> seconds = 800000000;
};

// The usage service as a table of replies per access token and path; records every request.
class ScriptedUsageClient final : public UsageClient {
public:
    // Answers every request itself, so it needs no way to the network.
    ScriptedUsageClient()
        : UsageClient(nullptr) {}
    void answer(const QString& token, const QString& path, Result<QByteArray> reply);
    // Each request so far, as "token path".
    QStringList requests() const;
    qsizetype count(const QString& token, const QString& path) const;

    Result<QByteArray> get(const QString& path, const QString& token) const override;

private:
    mutable QMutex mutex;
    QHash<QString, Result<QByteArray>> replies;
    mutable QStringList received;
};

// A temporary home with accounts, a cache file, a settings file and stand-ins for every
// service the store uses, each recording how it was called.
class StoreHarness {
public:
    StoreHarness();
    ~StoreHarness();

    // Adds an account folder whose credential holds `token`, or no credential when empty.
    Account addAccount(const QString& folderName, const QString& token);
    void setCredential(const QString& folderName, std::optional<Credential> credential);
    // While closed, credential reads wait for `open()`; this keeps a refresh running.
    void closeCredentialGate() { gateClosed = true; }
    void openCredentialGate();
    // How many credential reads wait at the closed gate.
    int waitingAtGate() const { return waiting; }

    StoreServices services();
    // The settings file opened afresh, as a program part opens it at its start; the harness
    // keeps each.
    UserSettings& openSettings();
    // A store over `settings`, or over settings of its own, as if in a run of its own.
    std::unique_ptr<Store> makeStore(UserSettings* settings = nullptr);
    // Starts a refresh and waits until it has finished.
    static bool refreshAndWait(Store& store);

    TemporaryHome home;
    WatchedFileSystem fileSystem;
    ManualClock clock;
    std::shared_ptr<ScriptedUsageClient> client = std::make_shared<ScriptedUsageClient>();
    QString cachePath;
    QString settingsPath;

    // How often a sign-in was renewed.
    std::atomic<int> renewals = 0;
    std::optional<UpdateInfo> updateReply;
    // Runs inside the renewal stand-in, on the worker that renews.
    std::function<void()> onRenewal;

private:
    mutable QMutex mutex;
    QHash<QString, std::optional<Credential>> credentials;
    std::vector<std::unique_ptr<UserSettings>> opened;
    QSemaphore gate;
    std::atomic<bool> gateClosed = false;
    std::atomic<int> waiting = 0;
};

// A usage reply with a session and a week reading.
QByteArray usageReply(double session, double week);
