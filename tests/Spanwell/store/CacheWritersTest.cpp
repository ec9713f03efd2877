#include "store/SnapshotCache.h"
#include "support/ServedHome.h"
#include "support/SpanwellProcess.h"

#include <QProcess>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// The writer's own account with its `round`th figures, beside stale copies of the others'.
QList<Entry> entries(const QStringList& folders, qsizetype writer, int round) {
    QList<Entry> list;
    for (qsizetype index = 0; index < folders.size(); ++index) {
        const bool own = index == writer;
        list.append(Entry{Account{folders.at(index), {}, {}, {}, {}},
                          Snapshot{{}, {}, {}, {}, Instant(own ? 1000 + round : 1)}, std::nullopt});
    }
    return list;
}

} // namespace

class CacheWritersTest : public QObject {
    Q_OBJECT

private slots:
    // Each writer keeps writing its own account's newer figures with stale copies of the
    // others'; whatever the interleaving, each account ends with its newest figures.
    void writersLoseNothingToEachOther() {
        ServedHome served;
        const QString path = served.cachePath();
        const QStringList folders{"/a", "/b", "/c"};
        constexpr int rounds = 30;
        QList<QFuture<bool>> writers;
        for (qsizetype writer = 0; writer < folders.size(); ++writer)
            writers.append(QtConcurrent::run([&, writer] {
                bool written = true;
                for (int round = 1; round <= rounds; ++round)
                    written =
                        SnapshotCache::write(path, entries(folders, writer, round)) && written;
                return written;
            }));
        for (QFuture<bool>& writer : writers)
            QVERIFY(writer.result());
        const QHash<QString, Snapshot> cached = SnapshotCache::read(path);
        for (const QString& folder : folders)
            QCOMPARE(cached.value(folder).fetchedAt, Instant(1000 + rounds));
    }

    // Two status runs refresh while the tray program writes its own figures.
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
