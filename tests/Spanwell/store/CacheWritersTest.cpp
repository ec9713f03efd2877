#include "store/SnapshotCache.h"
#include "support/ServedHome.h"
#include "support/SpanwellProcess.h"

#include <QProcess>
#include <QTest>

class CacheWritersTest : public QObject {
    Q_OBJECT

private slots:
    // Two status runs refresh while the tray program keeps writing its own figures: each
    // writer keeps the newer figures of the others, and reads and writes under the lock.
    void statusRunsAndTheTrayProgramTogether() {
        ServedHome served;
        const QString work = served.addAccount(".claude-work", "w@example.com", 20, 30);
        const QString side = served.addAccount(".claude-side", "s@example.com", 40, 50);
        QList<QProcess*> runs;
        for (int run = 0; run < 2; ++run) {
            auto* process = new QProcess(this);
            process->setProcessEnvironment(served.environment());
            process->start(SpanwellProcess::path(), {"--status", "--max-age", "0"});
            runs.append(process);
        }
        // The tray program's figures of the work account are newer than anything a run fetches.
        const QList<Entry> tray{
            Entry{Account{work, {}, {}, {}, {}}, Snapshot{{}, {}, {}, {}, Instant(1e10)}, {}},
            Entry{Account{side, {}, {}, {}, {}}, std::nullopt, {}}};
        QElapsedTimer waited;
        waited.start();
        while (std::any_of(runs.begin(), runs.end(), [](QProcess* run) {
            run->waitForFinished(0);
            return run->state() != QProcess::NotRunning;
        })) {
            QVERIFY(SnapshotCache::write(served.cachePath(), tray));
            QVERIFY(!waited.hasExpired(30000));
        }
        for (QProcess* run : runs)
            QCOMPARE(run->exitCode(), 0);
        const QHash<QString, Snapshot> cached = SnapshotCache::read(served.cachePath());
        QCOMPARE(cached.value(work).fetchedAt, Instant(1e10));
        QCOMPARE(cached.value(side).limits.value(0).percent, 40);
        QCOMPARE(served.usageRequests(), 4);
    }
};

QTEST_GUILESS_MAIN(CacheWritersTest)
#include "CacheWritersTest.moc"
