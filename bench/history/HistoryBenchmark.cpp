// Measures the history at its fullest: 90 days of readings of eight accounts with three limits
// each, one every five minutes. It times what the tray program does after a refresh (keep the
// refresh's readings, then read every limit's last week for the charts and the pace: every
// reading of the last two hours, one for each 20 minutes before), and a terminal's read
// of one account's week, each opening and closing the file as the program does, and opening
// alone. Wall time, median of 21 runs.

#include "history/HistoryFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int accounts = 8;
constexpr int timedRuns = 21;
constexpr double spacingSeconds = 300;
constexpr double keptDays = 90;
const QStringList titles{QStringLiteral("Session"), QStringLiteral("Week"),
                         QStringLiteral("Week, Opus")};

QString folder(int account) {
    return QStringLiteral("/home/bench/.claude-%1").arg(account);
}

// Every limit of every account as one refresh at `at` reads it.
QList<HistoryReading> refresh(Instant at, int step) {
    QList<HistoryReading> readings;
    for (int account = 0; account < accounts; ++account)
        for (const QString& title : titles)
            readings.append({folder(account), title, double((step + account) % 101), at + 18000, at,
                             HistoryReading::Source::service});
    return readings;
}

double medianMilliseconds(const std::function<void(int run)>& work) {
    QList<double> times;
    for (int run = 0; run < timedRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        work(run);
        times.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times.at(timedRuns / 2);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("history.sqlite"));
    const Instant now = Instant::now();
    const int steps = int(keptDays * 86400 / spacingSeconds);
    QList<HistoryReading> all;
    for (int step = 0; step < steps; ++step)
        all.append(refresh(now - (steps - step) * spacingSeconds, step));
    const int rows = HistoryFile(path).record(all, now, int(keptDays));

    const double write = medianMilliseconds([&](int run) {
        HistoryFile(path).record(refresh(now + run * spacingSeconds, run), now, int(keptDays));
    });
    const double opening = medianMilliseconds([&](int) { HistoryFile file(path); });
    const Instant weekAgo = now - 7 * 86400;
    qsizetype points = 0;
    const double recentUse = medianMilliseconds([&](int) {
        points = 0;
        for (const LimitHistory& limit : HistoryFile(path).recentUse(weekAgo, now - 7200, 1200))
            points += limit.points.size();
    });
    qsizetype readings = 0;
    const double accountWeek = medianMilliseconds(
        [&](int) { readings = HistoryFile(path).readings(weekAgo, ::folder(3)).size(); });

    std::printf("rows=%d\n", rows);
    std::printf("open_ms=%.2f\n", opening);
    std::printf("write_refresh_ms=%.2f\n", write);
    std::printf("read_recent_use_ms=%.2f\n", recentUse);
    std::printf("recent_use_points=%lld\n", static_cast<long long>(points));
    std::printf("read_account_week_ms=%.2f\n", accountWeek);
    std::printf("account_week_readings=%lld\n", static_cast<long long>(readings));
    return 0;
}
