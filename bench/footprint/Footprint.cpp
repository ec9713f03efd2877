// Measures what Spanwell costs beside the least a Qt Widgets program costs: the time from start
// to exit of drawing the demo panel to a file, and the resident memory of the running tray
// program once it has refreshed eight accounts, both on the offscreen platform; and whether the
// tray program holds more after a hundred refreshes than after its first. Prints every figure
// and, last, the ratios.

#include "ProgramRuns.h"
#include "support/LoopbackHttpServer.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// The median of more runs moves less as the machine's speed drifts: of 11, it moved by 0.3 from
// one run of the benchmark to the next.
constexpr int timedRuns = 21;
constexpr int memoryRuns = 3;
constexpr int laterRefreshes = 100;
// After a program is ready, so that work it queued meanwhile has run.
constexpr int settleMilliseconds = 1000;

using ProgramRuns::fail;

QByteArray json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// Eight accounts, each with a credential file whose token stays valid for a day.
void addAccounts(const TemporaryHome& home) {
    const double expiresAt = double(QDateTime::currentMSecsSinceEpoch() + 86400000);
    for (int index = 0; index < ProgramRuns::accountCount; ++index) {
        const QString folder = ProgramRuns::addAccount(home, index);
        home.writeFile(folder + QStringLiteral("/.credentials.json"),
                       json({{QStringLiteral("claudeAiOauth"),
                              QJsonObject{{QStringLiteral("accessToken"),
                                           QStringLiteral("token-%1").arg(index)},
                                          {QStringLiteral("expiresAt"), expiresAt}}}}));
    }
}

void answerLikeTheServices(LoopbackHttpServer& server) {
    const QString resetsAt =
        QDateTime::currentDateTimeUtc().addSecs(7200).toString(Qt::ISODateWithMs);
    server.answer("/api/oauth/usage",
                  LoopbackHttpServer::Answer::of(
                      200, json({{QStringLiteral("five_hour"),
                                  QJsonObject{{QStringLiteral("utilization"), 42},
                                              {QStringLiteral("resets_at"), resetsAt}}},
                                 {QStringLiteral("seven_day"),
                                  QJsonObject{{QStringLiteral("utilization"), 17}}}})));
    server.answer("/api/oauth/profile",
                  LoopbackHttpServer::Answer::of(
                      200, json({{QStringLiteral("organization"),
                                  QJsonObject{{QStringLiteral("subscription_status"),
                                               QStringLiteral("active")}}}})));
    server.answer(
        "/version.json",
        LoopbackHttpServer::Answer::of(
            200, json({{QStringLiteral("version"), QStringLiteral("0.0")},
                       {QStringLiteral("build"), 0},
                       {QStringLiteral("url"), QStringLiteral("https://spanwell.app")}})));
}

QProcessEnvironment environmentFor(const TemporaryHome& home, const LoopbackHttpServer& server) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("SPANWELL_API_ORIGIN"), server.origin());
    environment.insert(QStringLiteral("SPANWELL_UPDATE_FEED"),
                       server.origin() + QStringLiteral("/version.json"));
    return environment;
}

// Milliseconds of a picture run, the median of several.
struct Timing {
    double spanwell = 0;
    double reference = 0;
};

// The two programs take turns, so that both meet the same load on a busy machine.
Timing medianTimes(const QString& spanwell, const QString& reference, const QString& picture,
                   const QProcessEnvironment& environment) {
    QList<double> spanwellTimes;
    QList<double> referenceTimes;
    const auto timed = [&](const QString& program, const QStringList& arguments) {
        QFile::remove(picture);
        const double time = ProgramRuns::timed(program, arguments, environment).milliseconds;
        if (!QFileInfo::exists(picture))
            fail(program + QStringLiteral(" wrote no picture"));
        return time;
    };
    for (int run = 0; run < timedRuns; ++run) {
        spanwellTimes.append(
            timed(spanwell, {QStringLiteral("--snapshot"), picture, QStringLiteral("--demo")}));
        referenceTimes.append(timed(reference, {QStringLiteral("--snapshot"), picture}));
    }
    return Timing{ProgramRuns::median(spanwellTimes), ProgramRuns::median(referenceTimes)};
}

qint64 residentKibibytes(qint64 processId) {
    QFile status(QStringLiteral("/proc/%1/status").arg(processId));
    if (!status.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read the status of process %1").arg(processId));
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    fail(QStringLiteral("no resident size for process %1").arg(processId));
}

// Starts `program`, waits until `isReady`, lets it settle, reads its resident memory, hands it
// to `meanwhile` (which may read it again later) and ends it.
qint64 residentWhenReady(
    const QString& program, const QProcessEnvironment& environment,
    const std::function<bool(QProcess&)>& isReady,
    const std::function<void(QProcess&)>& meanwhile = [](QProcess&) {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, {});
    if (!process.waitForStarted(ProgramRuns::patienceMilliseconds))
        fail(program + QStringLiteral(" did not start"));
    QElapsedTimer waited;
    waited.start();
    while (!isReady(process)) {
        if (process.state() != QProcess::Running)
            fail(program + QStringLiteral(" ended early"));
        if (waited.hasExpired(ProgramRuns::patienceMilliseconds))
            fail(program + QStringLiteral(" did not get ready"));
        process.waitForReadyRead(50);
    }
    QThread::msleep(settleMilliseconds);
    const qint64 resident = residentKibibytes(process.processId());
    meanwhile(process);
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished();
    }
    return resident;
}

qint64 medianResident(
    const QString& program, const QProcessEnvironment& environment,
    const std::function<bool(QProcess&)>& isReady,
    const std::function<void()>& beforeEachRun = [] {}) {
    QList<double> sizes;
    for (int run = 0; run < memoryRuns; ++run) {
        beforeEachRun();
        sizes.append(double(residentWhenReady(program, environment, isReady)));
    }
    return qint64(ProgramRuns::median(sizes));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QString spanwell = ProgramRuns::besideThisProgram("spanwell");
    const QString reference = ProgramRuns::besideThisProgram("bench-minimal-widgets");

    TemporaryHome home;
    addAccounts(home);
    LoopbackHttpServer server;
    answerLikeTheServices(server);
    const QProcessEnvironment environment = environmentFor(home, server);
    QTemporaryDir pictures;
    const QString picture = pictures.filePath(QStringLiteral("panel.png"));

    const Timing times = medianTimes(spanwell, reference, picture, environment);
    std::printf("snapshot_spanwell_ms=%.1f\nsnapshot_reference_ms=%.1f\n", times.spanwell,
                times.reference);
    std::fflush(stdout);

    // Ready once the first refresh has written the cache and asked the update feed, its
    // last step.
    const QString cache = home.pathOf(QStringLiteral(".local/share/Spanwell/snapshots.json"));
    const auto feedRequests = [&server] {
        const QList<LoopbackHttpServer::Request> requests = server.requests();
        return std::count_if(requests.begin(), requests.end(),
                             [](const auto& request) { return request.target == "/version.json"; });
    };
    qsizetype feedRequestsBefore = 0;
    const auto beforeFirstRefresh = [&] {
        QFile::remove(cache);
        feedRequestsBefore = feedRequests();
    };
    const auto refreshed = [&](QProcess&) {
        return QFileInfo::exists(cache) && feedRequests() > feedRequestsBefore;
    };
    const qint64 spanwellResident =
        medianResident(spanwell, environment, refreshed, beforeFirstRefresh);
    // The same tray program after its first refresh and after a hundred more, each asked for as
    // a user would, by `spanwell --refresh`, which ends once the tray program's refresh has.
    qint64 afterLaterRefreshes = 0;
    beforeFirstRefresh();
    const qint64 afterFirstRefresh =
        residentWhenReady(spanwell, environment, refreshed, [&](QProcess& tray) {
            for (int refresh = 0; refresh < laterRefreshes; ++refresh)
                ProgramRuns::timed(spanwell, {QStringLiteral("--refresh")}, environment);
            QThread::msleep(settleMilliseconds);
            afterLaterRefreshes = residentKibibytes(tray.processId());
        });
    const qint64 referenceResident = medianResident(reference, environment, [](QProcess& process) {
        return process.canReadLine() && process.readLine().startsWith("shown");
    });
    std::printf("rss_spanwell_kib=%lld\nrss_reference_kib=%lld\n",
                static_cast<long long>(spanwellResident),
                static_cast<long long>(referenceResident));
    std::printf("rss_after_first_refresh_kib=%lld\nrss_after_%d_refreshes_kib=%lld\n",
                static_cast<long long>(afterFirstRefresh), laterRefreshes,
                static_cast<long long>(afterLaterRefreshes));
    std::printf("snapshot_ratio=%.2f\nrss_ratio=%.2f\nrss_growth_ratio=%.2f\n",
                times.spanwell / times.reference,
                double(spanwellResident) / double(referenceResident),
                double(afterLaterRefreshes) / double(afterFirstRefresh));
    return 0;
}
