#include "commandline/CachedEntries.h"
#include "store/SnapshotCache.h"
#include "store/UserSettings.h"
#include "support/ServedHome.h"
#include "support/SpanwellProcess.h"
#include "support/StandIn.h"
#include "tray/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QProcess>
#include <QSysInfo>
#include <QTest>
#include <QThread>

#include <cstdio>
#include <filesystem>

#include <sys/resource.h>

class TerminalModesTest : public QObject {
    Q_OBJECT

private slots:
    // They answer without a display and end at once; only the tray program needs one, and
    // without it says so and ends.
    void printsAndEnds_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QByteArray>("begins");
        QTest::newRow("help") << QStringList{"--help"} << 0 << QByteArray("Usage: spanwell ");
        QTest::newRow("version") << QStringList{"--version"} << 0 << QByteArray("Spanwell 0.");
        QTest::newRow("nothing usable") << QStringList{"--best"} << 1 << QByteArray("spanwell: ");
        QTest::newRow("unknown option") << QStringList{"--status", "--staus"} << 2
                                        << QByteArray("spanwell: Unknown option --staus. See");
        QTest::newRow("tray program") << QStringList() << 1 << QByteArray("spanwell: ");
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

    // Loading runs the module's code: loading a named pipe in its place would wait for ever,
    // and a module of another version would misread the mode it is handed. Neither is called.
    void moduleThatCannotBeRunIsNotCalled_data() {
        QTest::addColumn<QString>("module");
        QTest::newRow("named pipe") << QString();
        QTest::newRow("another version")
            << QCoreApplication::applicationDirPath() + "/other-version-module.so";
    }
    void moduleThatCannotBeRunIsNotCalled() {
        QFETCH(QString, module);
        TemporaryHome installed;
        QVERIFY(QFile::copy(SpanwellProcess::path(), installed.makeFolder("bin") + "/spanwell"));
        const QString placed = installed.pathOf("bin/" SPANWELL_FULL_MODULE);
        if (module.isEmpty())
            installed.makeNamedPipe(QDir(installed.path()).relativeFilePath(placed));
        else
            QVERIFY(QDir().mkpath(QFileInfo(placed).path()) && QFile::copy(module, placed));
        QProcess run;
        run.setProcessEnvironment(SpanwellProcess::environment(installed.path()));
        run.start(installed.pathOf("bin/spanwell"), {"--refresh"});
        QVERIFY(run.waitForFinished(10000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        QVERIFY(run.readAllStandardError().contains(placed.toUtf8()));
    }

    // Each mode once, with a failing, a rate-limited and a lapsed account and a folder whose
    // name would forge a line and clear the terminal: a run without a cache asks the service,
    // the next ones are served by what it wrote, problems included, and one with --max-age 0
    // asks again, but not while the service asked for a pause. Claude Code is asked to renew
    // the lapsed sign-in on each refresh.
    void modesFromTheServiceAndTheCache() {
        ServedHome served;
        served.addAccount(".claude", "ann@example.com", 30, 40);
        served.addAccount(".claude-broken", "b@example.com", 0, 0, 500);
        served.addAccount(".claude-busy", "busy@example.com", 0, 0, 429, "3600");
        served.addAccount(".claude-lapsed", "l@example.com", 0, 0, 401);
        const QString hostile =
            served.addAccount(".claude-x\nforged\x1b[2J", "x@example.com", 10, 5);
        // A folder whose name is not valid UTF-8 cannot be read, and is named.
        const QByteArray unreadable = QFile::encodeName(served.home.path()) + "/.claude-\xff";
        QVERIFY(std::filesystem::create_directory(unreadable.constData()));
        served.home.writeExecutable(".local/bin/claude",
                                    StandIn::script(R"(echo "$*" >> "$HOME/renewals")"));
        const auto run = [&served](const QStringList& arguments) {
            return QString::fromUtf8(SpanwellProcess::run(arguments, served.environment()).output);
        };

        const QStringList lines = run({"--status"}).split('\n');
        QCOMPARE(lines.size(), 7);
        QVERIFY(lines.at(1).endsWith("error 500."));
        QVERIFY(lines.at(2).contains("Rate limited; next check at "));
        QVERIFY(lines.at(3).contains(" sign in again ") && lines.at(3).endsWith("lapsed."));
        QCOMPARE(lines.at(5), "~/.claude-\uFFFD is not read: its name is not valid UTF-8.");
        // Qt cannot name it to remove it with the rest of the home folder.
        QVERIFY(std::filesystem::remove(unreadable.constData()));
        QCOMPARE(run({"--status"}).split('\n').mid(1, 3), lines.mid(1, 3));
        const QJsonDocument json = QJsonDocument::fromJson(run({"--status", "--json"}).toUtf8());
        QCOMPARE(json["accounts"][4]["folder"], hostile);
        QCOMPARE(json["accounts"][2]["problem"]["kind"], "rateLimited");
        QCOMPARE(json["accounts"][3]["problem"]["kind"], "signInExpired");
        const QJsonDocument waybar =
            QJsonDocument::fromJson(run({"--status", "--waybar"}).toUtf8());
        QCOMPARE(waybar["class"], "some-blocked");
        QVERIFY(waybar["tooltip"].toString().contains(" sign in again "));
        QCOMPARE(served.usageRequests(), 5);
        run({"--status", "--max-age", "0"});
        // The best account's folder cannot be printed as it is, so it is not printed at all.
        const auto best = SpanwellProcess::run({"--best"}, served.environment());
        QCOMPARE(best.exitCode, 1);
        QVERIFY(best.errors.contains(
            hostile.toUtf8().replace("\n", "\\n").replace("\x1b", "\\x1b") + ','));
        QCOMPARE(served.usageRequests(), 9);
        QCOMPARE(readFile(served.home.pathOf("renewals")), "auth status\nauth status\n");

        // A status bar waits for each run: against a service that stopped answering for an
        // account, one ends within its 10 seconds with that account's cached figures and the
        // problem, and what the others brought meanwhile.
        served.stopAnswering(".claude-broken");
        served.addAccount(".claude", "ann@example.com", 35, 40);
        QElapsedTimer took;
        took.start();
        const QStringList late = run({"--status", "--max-age", "0"}).split('\n');
        QVERIFY(took.elapsed() < 12000);
        QVERIFY(late.at(0).contains("session 35%") && !late.at(0).contains("timed out"));
        QVERIFY(late.at(1).endsWith("The request timed out."));
    }

    // Accounts the user hid are neither shown nor picked: from the cache, which holds figures
    // fetched before the account was hidden, nor from a refresh, which does not ask for them.
    void hiddenAccountsAreLeftOut_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("status") << QStringList{"--status"};
        QTest::newRow("json") << QStringList{"--status", "--json"};
        QTest::newRow("waybar") << QStringList{"--status", "--waybar"};
        QTest::newRow("best") << QStringList{"--best"};
    }
    void hiddenAccountsAreLeftOut() {
        QFETCH(QStringList, arguments);
        ServedHome served;
        const QString shown = served.addAccount(".claude-shown", "shown@example.com", 50, 50);
        const QString hidden = served.addAccount(".claude-hidden", "hidden@example.com", 10, 10);
        UserSettings(served.home.pathOf(".config/Spanwell/Spanwell.conf"))
            .setValue(Settings::hiddenAccountFolders, {hidden});
        const auto cached = [](const QString& folder, double session) {
            return Entry{Account{folder, {}, {}, {}, {}},
                         Snapshot{{{"Session", session, {}}}, {}, {}, {}, Instant::now()},
                         {}};
        };
        QVERIFY(SnapshotCache::write(served.cachePath(), served.home.path(),
                                     {cached(shown, 50), cached(hidden, 10)}, systemClock()));
        for (const QStringList& run : {arguments, arguments + QStringList{"--max-age", "0"}}) {
            const QByteArray output = SpanwellProcess::run(run, served.environment()).output;
            QVERIFY(output.contains("shown"));
            QVERIFY2(!output.contains("claude-hidden") && !output.contains("hidden@"), output);
        }
        QCOMPARE(served.usageRequests(), 1);
    }

    // Only the newest figures count.
    void freshness() {
        const Instant now(800000000);
        const auto fetched = [now](double age) {
            return Entry{Account{}, Snapshot{{}, {}, {}, {}, now - age}, {}};
        };
        QVERIFY(CachedEntries::areFresh({fetched(3650), fetched(50)}, now, 60));
        QVERIFY(!CachedEntries::areFresh({fetched(70)}, now, 60));
        QVERIFY(!CachedEntries::areFresh({fetched(-10)}, now, 60));
    }

    // Two status runs refresh while the tray program keeps writing its own figures: each
    // writer keeps the newer figures of the others, and reads and writes under the lock, which
    // a run that crashed left behind.
    void statusRunsAndTheTrayProgramTogether() {
        ServedHome served;
        const QString work = served.addAccount(".claude-work", "w@example.com", 20, 30);
        const QString side = served.addAccount(".claude-side", "s@example.com", 40, 50);
        // A run that crashed left both its locks behind: one names no process, the other was
        // made empty.
        const QString cache = QDir(served.home.path()).relativeFilePath(served.cachePath());
        served.home.writeFile(cache + ".lock", "2147483647\nspanwell\n" +
                                                   QSysInfo::machineHostName().toUtf8() + '\n');
        served.home.writeFile(cache + ".refresh.lock", {});
        QProcess runs[2];
        for (QProcess& run : runs) {
            run.setProcessEnvironment(served.environment());
            run.start(SpanwellProcess::path(), {"--status", "--max-age", "0"});
        }
        // The tray program keeps fetching the work account, mostly later than a run did.
        QList<Entry> tray{
            Entry{Account{work, {}, {}, {}, {}}, Snapshot{{}, {}, {}, {}, Instant::now()}, {}},
            Entry{Account{side, {}, {}, {}, {}}, std::nullopt, {}}};
        // Many more accounts make each of its writes take a while, as a large cache's would.
        for (int other = 0; other < 2000; ++other)
            tray.append(Entry{Account{QString::number(other), {}, {}, {}, {}}, Snapshot{}, {}});
        const QDeadlineTimer deadline(30000);
        while (std::any_of(std::begin(runs), std::end(runs), [](QProcess& run) {
            run.waitForFinished(0);
            return run.state() != QProcess::NotRunning;
        })) {
            tray[0].snapshot->fetchedAt = Instant::now();
            QVERIFY(
                SnapshotCache::write(served.cachePath(), served.home.path(), tray, systemClock()));
            QVERIFY(!deadline.hasExpired());
            QThread::msleep(2);
        }
        for (const QProcess& run : runs)
            QCOMPARE(run.exitCode(), 0);
        const QHash<QString, SnapshotCache::Record> cached =
            SnapshotCache::read(served.cachePath());
        QVERIFY(cached.value(work).snapshot->fetchedAt >= tray[0].snapshot->fetchedAt);
        QCOMPARE(cached.value(side).snapshot.value_or(Snapshot{}).limits.value(0).percent, 40);
        QCOMPARE(served.usageRequests(), 4);
    }

    // An upgrade replaces the program while the tray program runs: the children of its later
    // refreshes start from the program now in its place (the path it was started by, not the
    // file, which is gone).
    void childrenStartFromTheProgramThatReplacedIt() {
        ServedHome served;
        served.addAccount(".claude", "ann@example.com", 30, 40);
        TemporaryHome installed;
        const QString built = QFileInfo(SpanwellProcess::path()).path();
        const QString program = installed.makeFolder("bin") + "/spanwell";
        QVERIFY(QFile::copy(SpanwellProcess::path(), program));
        for (const QString module :
             {SPANWELL_FULL_MODULE, SPANWELL_HISTORY_MODULE, SPANWELL_NETWORK_MODULE}) {
            const QString placed = QDir::cleanPath(installed.pathOf("bin/" + module));
            QVERIFY(QDir().mkpath(QFileInfo(placed).path()));
            QVERIFY(QFile::copy(QDir::cleanPath(built + '/' + module), placed));
        }
        QProcessEnvironment environment = served.environment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess tray;
        tray.setProcessEnvironment(environment);
        tray.start(program, QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(served.cachePath()), 20000);

        // As a package manager does: the new file renamed over the old one.
        QVERIFY(QFile::copy(SpanwellProcess::path(), program + ".new"));
        QVERIFY(std::rename(QFile::encodeName(program + ".new"), QFile::encodeName(program)) == 0);
        served.addAccount(".claude", "ann@example.com", 35, 40);
        QCOMPARE(SpanwellProcess::run({"--refresh"}, environment).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(
            SpanwellProcess::run({"--history", "--csv"}, environment).output.contains(",35,"),
            10000);
        tray.terminate();
        QVERIFY(tray.waitForFinished(5000));
    }

    // By the run itself with no tray program running; else through the running one, whose own
    // refresh writes the cache.
    void refreshOnRequest() {
        ServedHome served;
        served.addAccount(".claude", "ann@example.com", 30, 40);
        QProcessEnvironment environment = served.environment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        const auto refreshed = [&](int requests) {
            const auto finished = SpanwellProcess::run({"--refresh"}, environment, 70000);
            QCOMPARE(finished.exitCode, 0);
            QCOMPARE(finished.output + finished.errors, QByteArray());
            QCOMPARE(served.usageRequests(), requests);
            // The refresh has written the cache again.
            QVERIFY(QFile::remove(served.cachePath()));
        };
        // A lock held without an answering copy is reported at once, not as a minute's wait.
        QLockFile held(SingleInstance::pathFor(served.home.path()) + ".lock");
        QVERIFY(held.tryLock(0));
        QCOMPARE(SpanwellProcess::run({"--refresh"}, environment).errors,
                 "spanwell: Spanwell is running but does not answer.\n");
        held.unlock();
        refreshed(1);
        served.addAccount(".claude", "ann@example.com", 35, 40);
        QProcess tray;
        tray.setProcessEnvironment(environment);
        // With the descriptors a desktop session usually allows it.
        tray.setChildProcessModifier([] {
            const rlimit descriptors{1024, 1024};
            ::setrlimit(RLIMIT_NOFILE, &descriptors);
        });
        tray.start(SpanwellProcess::path(), QStringList());
        // Its first refresh has written the cache.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(served.cachePath()), 20000);
        QVERIFY(QFile::remove(served.cachePath()));
        // More idle connections than it may open descriptors crowd out no request.
        const rlimit enough{4096, 4096};
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &enough), 0);
        QLocalSocket idle[1100];
        for (QLocalSocket& connection : idle) {
            connection.connectToServer(SingleInstance::pathFor(served.home.path()));
            QVERIFY(connection.waitForConnected(5000));
        }
        // Asked to refresh, it uses its own service; the asking run has none.
        environment.insert("SPANWELL_API_ORIGIN", "http://127.0.0.1:9");
        refreshed(3);
        // Asked to end, it ends as by its own quit command.
        tray.terminate();
        QVERIFY(tray.waitForFinished(5000));
        QCOMPARE(tray.exitStatus(), QProcess::NormalExit);
        // Both kept their readings in the history, the tray program through a child of its
        // own, and a terminal run prints them: the session at 30 and at 35, the week twice.
        const QList<QByteArray> rows =
            SpanwellProcess::run({"--history", "--csv"}, environment).output.split('\n');
        QCOMPARE(rows.size(), 6);
        QVERIFY(rows.at(1).contains(",Session,30,") && rows.at(1).endsWith(",service\r"));
        QVERIFY(rows.at(2).contains(",Session,35,"));
        QVERIFY(rows.at(3).contains(",Week,40,") && rows.at(4).contains(",Week,40,"));
    }
};

QTEST_MAIN(TerminalModesTest)
#include "TerminalModesTest.moc"
