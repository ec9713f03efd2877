// Measures one refresh of eight accounts against the slowest single account's fetch, and how
// long the interface thread is kept from its event loop meanwhile. Each account has a large
// account file, a credential that takes 200 ms to read through the keychain tool, and a usage
// service that answers after 300 ms.

#include "ProgramRuns.h"
#include "accounts/CredentialSource.h"
#include "accounts/Discovery.h"
#include "service/UpdateCheck.h"
#include "store/HistoryChild.h"
#include "store/NetworkChild.h"
#include "store/Store.h"
#include "support/LoopbackHttpServer.h"
#include "support/TemporaryHome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int accountCount = 8;
constexpr qsizetype accountFileBytes = 8 * 1024 * 1024;
constexpr int serviceDelayMilliseconds = 300;
constexpr int measuredRefreshes = 5;
constexpr int samplingMilliseconds = 5;

// An account file as Claude Code's grow: the signed-in account and a long project history.
QByteArray accountFile(const QString& email) {
    QByteArray file = R"({"oauthAccount":{"emailAddress":")" + email.toUtf8() +
                      R"(","organizationName":"Bench"},"projects":{)";
    const QByteArray history(180, 'x');
    for (int project = 0; file.size() < accountFileBytes; ++project)
        file += (project ? "," : "") + QByteArray(R"("/home/bench/project)") +
                QByteArray::number(project) + R"(":{"history":[")" + history +
                R"("],"allowedTools":["Bash","Edit"],"lastCost":0.25})";
    return file + "}}";
}

// The keychain tool as the store meets it: a child process that takes its time.
QByteArray slowKeychainTool() {
    return "#!/bin/sh\nsleep 0.2\n"
           "printf '%s\\n' '{\"claudeAiOauth\":{\"accessToken\":\"bench-token\","
           "\"expiresAt\":99999999999999,\"subscriptionType\":\"max\"}}'\n";
}

// Notes the longest time the event loop went without running a 5 ms timer.
class StallSampler {
public:
    StallSampler() {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(samplingMilliseconds);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            longest = std::max(longest, clock.restart() - samplingMilliseconds);
        });
    }
    void begin() {
        longest = 0;
        clock.start();
        timer.start();
    }
    qint64 end() {
        timer.stop();
        return longest;
    }

private:
    QTimer timer;
    QElapsedTimer clock;
    qint64 longest = 0;
};

double refreshMilliseconds(Store& store) {
    QEventLoop loop;
    QObject::connect(&store, &Store::refreshFinished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    store.refresh();
    loop.exec();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);

    TemporaryHome home;
    for (int index = 1; index <= accountCount; ++index) {
        const QString folder = QStringLiteral(".claude-bench%1").arg(index);
        home.writeFile(folder + QStringLiteral("/.claude.json"),
                       accountFile(QStringLiteral("bench%1@example.com").arg(index)));
    }
    const QString keychainTool =
        home.writeExecutable(QStringLiteral("bin/security"), slowKeychainTool());

    LoopbackHttpServer server;
    const QByteArray usage = R"({"five_hour":{"utilization":42},"seven_day":{"utilization":7}})";
    const QByteArray profile = R"({"organization":{"subscription_status":"active"}})";
    server.answer("/api/oauth/usage",
                  LoopbackHttpServer::Answer::of(200, usage).after(serviceDelayMilliseconds));
    server.answer("/api/oauth/profile",
                  LoopbackHttpServer::Answer::of(200, profile).after(serviceDelayMilliseconds));
    server.answer("/version.json", LoopbackHttpServer::Answer::of(404));

    const QString feed = server.origin() + QStringLiteral("/version.json");
    // Every call over the network made by a child of the program, as the tray program's are.
    const QString program = ProgramRuns::besideThisProgram("spanwell");
    StoreServices services = StoreServices::real(program);
    services.home = home.path();
    services.readCredential = [keychainTool](const Account& account, double timeoutSeconds) {
        return CredentialSource::read(account, timeoutSeconds, keychainTool);
    };
    const HttpFetch::Getter network = NetworkChild::getterOf(NetworkChild::make(program));
    services.client = std::make_shared<UsageClient>(network, server.origin());
    services.checkForUpdate = [network, feed](qint64 build) {
        return UpdateCheck::fetch(network, build, feed);
    };
    services.cachePath = home.pathOf(QStringLiteral("snapshots.json"));
    // Kept in the temporary home, by a child of the program as the tray program keeps it.
    services.history = [program,
                        path = home.pathOf(QStringLiteral("history.sqlite"))](HistoryJob job) {
        job.path = path;
        return HistoryChild::run(program, job);
    };
    UserSettings settings(home.pathOf(QStringLiteral("settings.ini")));

    Store store(services, settings);
    std::printf("accounts: %d, account file: %.1f MB each\n", accountCount,
                static_cast<double>(accountFileBytes) / (1024 * 1024));
    std::printf("first refresh (with profiles and the update feed): %.0f ms\n",
                refreshMilliseconds(store));

    // The same work one account at a time, as a steady refresh does it for each.
    double slowestFetch = 0;
    for (const Entry& entry : store.entries()) {
        QElapsedTimer clock;
        clock.start();
        Store::fetch(entry.account, entry, false, services);
        slowestFetch = std::max(slowestFetch, static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("slowest single account's fetch: %.0f ms\n", slowestFetch);

    StallSampler sampler;
    QList<double> refreshes;
    qint64 longestStall = 0;
    for (int round = 0; round < measuredRefreshes; ++round) {
        sampler.begin();
        refreshes.append(refreshMilliseconds(store));
        longestStall = std::max(longestStall, sampler.end());
        std::printf("refresh %d: %.0f ms\n", round + 1, refreshes.last());
    }
    std::sort(refreshes.begin(), refreshes.end());
    const double median = refreshes.at(refreshes.size() / 2);
    std::printf("median refresh: %.0f ms\n", median);
    std::printf("refresh_ratio=%.2f\n", median / slowestFetch);
    std::printf("max_stall_ms=%lld\n", static_cast<long long>(longestStall));
    return 0;
}
