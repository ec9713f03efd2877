#include "Spanwell/store/StoreHarness.h"
#include "commandline/Dispatch.h"
#include "store/SnapshotCache.h"
#include "support/ServedHome.h"
#include "support/SpanwellProcess.h"
#include "tray/RefreshRequests.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

namespace {

// The mode's options in a few words.
QString options(const Mode& mode) {
    const char* formats[] = {"text", "json", "waybar"};
    return QStringLiteral("%1 %2%3 %4")
        .arg(QLatin1String(formats[int(mode.statusFormat)]))
        .arg(mode.maxAgeSeconds)
        .arg(mode.printCommand ? " command" : "", mode.problem)
        .trimmed();
}

} // namespace

class TerminalModesTest : public QObject {
    Q_OBJECT

private slots:
    // The older modes keep every argument they take; the newer ones only get what is left.
    void dispatch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode::Kind>("kind");
        QTest::addColumn<QString>("described");
        using Kind = Mode::Kind;
        QTest::newRow("renewal check first")
            << QStringList{"--status", "--renew-check"} << Kind::renewalCheck << "text 60";
        QTest::newRow("waybar, always refreshed")
            << QStringList{"--status", "--waybar", "--max-age", "0"} << Kind::status << "waybar 0";
        QTest::newRow("best command")
            << QStringList{"--command", "--best"} << Kind::best << "text 60 command";
        QTest::newRow("two formats")
            << QStringList{"--status", "--json", "--waybar"} << Kind::misused
            << "text 60 --json and --waybar cannot be given together.";
    }
    void dispatch() {
        QFETCH(QStringList, arguments);
        QFETCH(Mode::Kind, kind);
        QFETCH(QString, described);
        const Mode mode = Dispatch::choose(QStringList{"spanwell"} + arguments);
        QCOMPARE(mode.kind, kind);
        QCOMPARE(options(mode), described);
    }

    // They answer without a display and end at once, instead of starting the tray program.
    void printsAndEnds_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QByteArray>("begins");
        QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("Usage: spanwell ");
        QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray("Spanwell 0.");
        QTest::newRow("nothing usable")
            << QStringList{"--best"} << 1 << QByteArray("spanwell: No account is usable now.\n");
        QTest::newRow("misused") << QStringList{"--status", "--max-age", "-1"} << 2
                                 << QByteArray("spanwell: --max-age takes");
    }
    void printsAndEnds() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitStatus);
        QFETCH(QByteArray, begins);
        ServedHome served;
        const auto finished = SpanwellProcess::run(arguments, served.environment());
        QCOMPARE(finished.exitCode, exitStatus);
        QVERIFY((exitStatus ? finished.errors : finished.output).startsWith(begins));
    }

    // The service's figures, a failing account, and a folder whose name would forge a line and
    // clear the terminal.
    void statusFromTheService() {
        ServedHome served;
        served.addAccount(".claude", "ann@example.com", 30, 40);
        served.addAccount(".claude-broken", "b@example.com", 0, 0, 500);
        const QString hostile =
            served.addAccount(".claude-x\nforged\x1b[2J", "x@example.com", 10, 5);
        const auto run = [&served](const QStringList& options) {
            return SpanwellProcess::run(QStringList{"--max-age", "0"} + options,
                                        served.environment());
        };

        const QStringList lines = QString::fromUtf8(run({"--status"}).output).split('\n');
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines.at(0).contains("session 30% · 2h 29m"));
        QVERIFY(lines.at(1).contains("no data yet") && lines.at(1).endsWith("error 500."));
        const QJsonDocument json = QJsonDocument::fromJson(run({"--status", "--json"}).output);
        QCOMPARE(json["accounts"][2]["folder"], hostile);
        QCOMPARE(json["accounts"][2]["limits"][1]["percent"], 5);
        QCOMPARE(QJsonDocument::fromJson(run({"--status", "--waybar"}).output)["class"],
                 "some-blocked");
        const auto best = run({"--best"});
        QCOMPARE(best.output,
                 hostile.toUtf8().replace("\n", "\\n").replace("\x1b", "\\x1b") + '\n');
        QCOMPARE(served.usageRequests(), 12);
    }

    // The service is asked only when the newest cached figures are older than allowed.
    void refreshesOnlyStaleFigures_data() {
        QTest::addColumn<double>("age");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("requests");
        QTest::newRow("fresh") << 50.0 << QStringList() << 0;
        QTest::newRow("stale") << 70.0 << QStringList() << 2;
        QTest::newRow("fresh for --max-age") << 250.0 << QStringList{"--max-age", "300"} << 0;
        QTest::newRow("--max-age 0") << 1.0 << QStringList{"--max-age", "0"} << 2;
        QTest::newRow("no cache") << -1.0 << QStringList() << 2;
    }
    void refreshesOnlyStaleFigures() {
        QFETCH(double, age);
        QFETCH(QStringList, options);
        QFETCH(int, requests);
        ServedHome served;
        served.addAccount(".claude", "ann@example.com", 30, 40);
        served.addAccount(".claude-b", "b@example.com", 50, 40);
        // Only the newest figures count.
        const auto cached = [&](const char* folder, double ageSeconds) {
            const Snapshot snapshot{{{"Session", 99, {}}}, {}, {}, {}, Instant::now() - ageSeconds};
            return Entry{Account{served.home.pathOf(folder), {}, {}, {}, {}}, snapshot, {}};
        };
        if (age >= 0)
            QVERIFY(SnapshotCache::write(
                served.cachePath(), {cached(".claude", age), cached(".claude-b", age + 3600)}));
        const auto finished =
            SpanwellProcess::run(QStringList{"--status", "--json"} + options, served.environment());
        QCOMPARE(served.usageRequests(), requests);
        const double shown = requests ? 30 : 99;
        QCOMPARE(QJsonDocument::fromJson(finished.output)["accounts"][0]["limits"][0]["percent"],
                 shown);
        // What a run fetched serves the next.
        const auto written =
            SnapshotCache::read(served.cachePath()).value(served.home.pathOf(".claude"));
        QCOMPARE(written.limits.value(0).percent, shown);
    }

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
        QList<Entry> tray{
            Entry{Account{work, {}, {}, {}, {}}, Snapshot{{}, {}, {}, {}, Instant(1e10)}, {}},
            Entry{Account{side, {}, {}, {}, {}}, std::nullopt, {}}};
        // Many more accounts make each of its writes take a while, as a large cache's would.
        for (int other = 0; other < 2000; ++other)
            tray.append(Entry{Account{QString::number(other), {}, {}, {}, {}}, Snapshot{}, {}});
        QElapsedTimer waited;
        waited.start();
        while (std::any_of(runs.begin(), runs.end(), [](QProcess* run) {
            run->waitForFinished(0);
            return run->state() != QProcess::NotRunning;
        })) {
            QVERIFY(SnapshotCache::write(served.cachePath(), tray));
            QVERIFY(!waited.hasExpired(30000));
            QThread::msleep(2);
        }
        for (QProcess* run : runs)
            QCOMPARE(run->exitCode(), 0);
        const QHash<QString, Snapshot> cached = SnapshotCache::read(served.cachePath());
        QCOMPARE(cached.value(work).fetchedAt, Instant(1e10));
        QCOMPARE(cached.value(side).limits.value(0).percent, 40);
        QCOMPARE(served.usageRequests(), 4);
    }

    // Through the running tray program, whose refresh writes the cache; else by the run itself.
    void refreshOnRequest_data() {
        QTest::addColumn<bool>("trayRunning");
        QTest::newRow("tray program running") << true;
        QTest::newRow("none running") << false;
    }
    void refreshOnRequest() {
        QFETCH(bool, trayRunning);
        ServedHome served;
        served.addAccount(".claude", "ann@example.com", 30, 40);
        QProcessEnvironment environment = served.environment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess tray;
        if (trayRunning) {
            tray.setProcessEnvironment(environment);
            tray.start(SpanwellProcess::path(), QStringList());
            // Its first refresh has written the cache.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(served.cachePath()), 20000);
            // Asked to refresh, it uses its own service; the asking run has none.
            environment.insert("SPANWELL_API_ORIGIN", "http://127.0.0.1:9");
        }
        const int before = served.usageRequests();
        const auto finished = SpanwellProcess::run({"--refresh"}, environment, 70000);
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(finished.output + finished.errors, QByteArray());
        QCOMPARE(served.usageRequests(), before + 1);
        QVERIFY(SnapshotCache::read(served.cachePath()).contains(served.home.pathOf(".claude")));
        if (trayRunning) {
            tray.terminate();
            QVERIFY(tray.waitForFinished(5000));
        }
    }

    // A refresh asked for while one runs is answered after the next, which started after it.
    void answersOnceARefreshStartedAfterTheRequestEnds() {
        StoreHarness harness;
        harness.addAccount(".claude-a", "token-a");
        const auto store = harness.makeStore();
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        // Each ticket, with how many refreshes had ended when it was answered.
        QList<std::pair<quint64, qsizetype>> answered;
        RefreshRequests requests(*store, [&](quint64 ticket) {
            answered.append({ticket, finished.size()});
        });
        harness.closeCredentialGate();
        requests.ask(1);
        QTRY_COMPARE(harness.waitingAtGate(), 1);
        requests.ask(2);
        harness.openCredentialGate();
        QTRY_COMPARE(answered.size(), 2);
        QCOMPARE(answered, (QList<std::pair<quint64, qsizetype>>{{1, 1}, {2, 2}}));
    }
};

QTEST_MAIN(TerminalModesTest)
#include "TerminalModesTest.moc"
