#include "Spanwell/store/StoreHarness.h"
#include "commandline/Dispatch.h"
#include "support/ServedHome.h"
#include "support/SpanwellProcess.h"
#include "tray/RefreshRequests.h"
#include "tray/SingleInstance.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

namespace {

Mode mode(Mode::Kind kind, Mode::StatusFormat format = Mode::StatusFormat::text, double maxAge = 60,
          bool command = false) {
    Mode made;
    made.kind = kind;
    made.statusFormat = format;
    made.maxAgeSeconds = maxAge;
    made.printCommand = command;
    return made;
}

SpanwellProcess::Finished run(const ServedHome& served, const QStringList& arguments) {
    return SpanwellProcess::run(arguments, served.environment());
}

// A run ended in time with this status.
#define FINISHED(finished, exitStatus)                                                             \
    do {                                                                                           \
        QVERIFY((finished).inTime);                                                                \
        QCOMPARE((finished).exitCode, exitStatus);                                                 \
    } while (false)

} // namespace

class TerminalModesTest : public QObject {
    Q_OBJECT

private slots:
    // The older modes keep every argument they take; the newer ones only get what is left.
    void dispatch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode>("expected");
        using Kind = Mode::Kind;
        using Format = Mode::StatusFormat;
        QTest::newRow("help before version")
            << QStringList({"spanwell", "--version", "--help", "--status"}) << mode(Kind::help);
        QTest::newRow("version") << QStringList({"spanwell", "--best", "--version"})
                                 << mode(Kind::version);
        QTest::newRow("renewal check first")
            << QStringList({"spanwell", "--help", "--renew-check"}) << mode(Kind::renewalCheck);
        Mode picture = mode(Kind::panelPicture);
        picture.path = QStringLiteral("--status");
        QTest::newRow("a picture's path")
            << QStringList({"spanwell", "--snapshot", "--status"}) << picture;
        QTest::newRow("status") << QStringList({"spanwell", "--status"}) << mode(Kind::status);
        QTest::newRow("json, kept fresh for 5 minutes")
            << QStringList({"spanwell", "--max-age", "300", "--json", "--status"})
            << mode(Kind::status, Format::json, 300);
        QTest::newRow("waybar, always refreshed")
            << QStringList({"spanwell", "--status", "--waybar", "--max-age", "0"})
            << mode(Kind::status, Format::waybar, 0);
        QTest::newRow("status before best")
            << QStringList({"spanwell", "--best", "--status"}) << mode(Kind::status);
        QTest::newRow("best command") << QStringList({"spanwell", "--command", "--best"})
                                      << mode(Kind::best, Format::text, 60, true);
        QTest::newRow("refresh") << QStringList({"spanwell", "--refresh", "--json"})
                                 << mode(Kind::refresh);
        Mode misused = mode(Kind::misused);
        misused.problem = QStringLiteral("--max-age takes a whole number of seconds, 0 or more.");
        QTest::newRow("negative age")
            << QStringList({"spanwell", "--best", "--max-age", "-1"}) << misused;
        QTest::newRow("age in minutes")
            << QStringList({"spanwell", "--status", "--max-age", "1m"}) << misused;
        misused.problem = QStringLiteral("--json and --waybar cannot be given together.");
        QTest::newRow("two formats")
            << QStringList({"spanwell", "--status", "--json", "--waybar"}) << misused;
    }
    void dispatch() {
        QFETCH(QStringList, arguments);
        QFETCH(Mode, expected);
        QVERIFY(Dispatch::choose(arguments) == expected);
    }

    // Both answer without a display and end at once, instead of starting the tray program.
    void helpAndVersionPrintAndEnd_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("begins");
        QTest::newRow("help") << "--help" << QByteArray("Usage: spanwell ");
        QTest::newRow("version") << "--version" << QByteArray("Spanwell 0.");
    }
    void helpAndVersionPrintAndEnd() {
        QFETCH(QString, argument);
        QFETCH(QByteArray, begins);
        ServedHome served;
        const auto finished = run(served, {argument});
        FINISHED(finished, 0);
        QCOMPARE(finished.errors, QByteArray());
        QVERIFY2(finished.output.startsWith(begins), finished.output.constData());
    }

    // The figures straight from the service, a failing account, and a folder whose name would
    // forge a line and clear the terminal.
    void statusFromTheService() {
        ServedHome served;
        served.addAccount(QStringLiteral(".claude"), QStringLiteral("ann@example.com"), 30, 40);
        served.addAccount(QStringLiteral(".claude-work"), QStringLiteral("w@example.com"), 100, 5);
        served.addAccount(QStringLiteral(".claude-broken"), QStringLiteral("b@example.com"), 0, 0,
                          500);
        const QString hostile = served.addAccount(QStringLiteral(".claude-a\nforged\x1b[2J"),
                                                  QStringLiteral("a@example.com"), 10, 10);

        const auto text = run(served, {"--status", "--max-age", "0"});
        FINISHED(text, 0);
        QStringList lines = QString::fromUtf8(text.output).split('\n');
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines.at(1).startsWith("ann@example.com  ready"));
        QVERIFY(lines.at(1).contains("30% · 2h 29m"));
        QVERIFY(lines.at(1).contains("40% · 3d 11h"));
        QVERIFY(lines.at(3).endsWith("Anthropic returned error 500."));
        QVERIFY(lines.at(4).contains("back in"));

        const auto json = run(served, {"--status", "--json", "--max-age", "0"});
        FINISHED(json, 0);
        const QJsonArray accounts =
            QJsonDocument::fromJson(json.output).object().value("accounts").toArray();
        QCOMPARE(accounts.size(), 4);
        QCOMPARE(accounts.at(1).toObject().value("folder").toString(), hostile);
        QCOMPARE(
            accounts.at(3).toObject().value("limits").toArray().at(1).toObject().value("percent"),
            5);

        const auto waybar = run(served, {"--waybar", "--status", "--max-age", "0"});
        FINISHED(waybar, 0);
        QCOMPARE(QJsonDocument::fromJson(waybar.output).object().value("class"), "some-blocked");

        const auto best = run(served, {"--best"});
        FINISHED(best, 0);
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
        QTest::newRow("fresh enough for --max-age")
            << 250.0 << QStringList{"--max-age", "300"} << 0;
        QTest::newRow("always with --max-age 0") << 1.0 << QStringList{"--max-age", "0"} << 2;
        QTest::newRow("no cache") << -1.0 << QStringList() << 2;
    }
    void refreshesOnlyStaleFigures() {
        QFETCH(double, age);
        QFETCH(QStringList, options);
        QFETCH(int, requests);
        ServedHome served;
        served.addAccount(QStringLiteral(".claude"), QStringLiteral("ann@example.com"), 30, 40);
        served.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b@example.com"), 50, 40);
        if (age >= 0) {
            // Only the newest figures count.
            served.cacheSnapshot(QStringLiteral(".claude"), 99, 99, age);
            served.cacheSnapshot(QStringLiteral(".claude-b"), 99, 99, age + 3600);
        }
        const auto finished = run(served, QStringList{"--status", "--json"} + options);
        FINISHED(finished, 0);
        QCOMPARE(served.usageRequests(), requests);
        const QJsonObject first =
            QJsonDocument::fromJson(finished.output).object().value("accounts")[0].toObject();
        QCOMPARE(first.value("limits")[0].toObject().value("percent"), requests ? 30 : 99);
        // What a run fetched serves the next.
        QCOMPARE(served.cached().value(served.home.pathOf(".claude"))["limits"][0]["percent"],
                 requests ? 30 : 99);
    }

    void bestFromTheCache_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<double>("defaultSession");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QString>("output");
        QTest::newRow("default folder") << QStringList{"--command"} << 20.0 << 0 << "claude\n";
        QTest::newRow("other folder")
            << QStringList{"--command"} << 60.0 << 0 << "CLAUDE_CONFIG_DIR=%1/.claude-b claude\n";
        QTest::newRow("folder alone") << QStringList() << 60.0 << 0 << "%1/.claude-b\n";
        QTest::newRow("nothing usable") << QStringList() << 100.0 << 1 << "";
    }
    void bestFromTheCache() {
        QFETCH(QStringList, options);
        QFETCH(double, defaultSession);
        QFETCH(int, exitStatus);
        QFETCH(QString, output);
        ServedHome served;
        served.home.addAccount(QStringLiteral(".claude"), QStringLiteral("ann@example.com"));
        served.home.addAccount(QStringLiteral(".claude-b"), QStringLiteral("b@example.com"));
        served.cacheSnapshot(QStringLiteral(".claude"), defaultSession, 10, 5);
        served.cacheSnapshot(QStringLiteral(".claude-b"), 50, exitStatus ? 100 : 10, 5);
        const auto finished = run(served, QStringList{"--best"} + options);
        FINISHED(finished, exitStatus);
        QCOMPARE(QString::fromUtf8(finished.output), output.replace("%1", served.home.path()));
        QCOMPARE(finished.errors,
                 exitStatus ? QByteArray("spanwell: No account is usable now.\n") : QByteArray());
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
        served.addAccount(QStringLiteral(".claude"), QStringLiteral("ann@example.com"), 30, 40);
        QProcessEnvironment environment = served.environment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess tray;
        if (trayRunning) {
            tray.setProcessEnvironment(environment);
            tray.start(SpanwellProcess::path(), QStringList());
            // Its first refresh has written the cache.
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(served.cachePath()), 20000);
        }
        const int before = served.usageRequests();
        // Asked to refresh, the tray program does it with its own service; the run has none.
        QProcessEnvironment asking = environment;
        if (trayRunning)
            asking.insert(QStringLiteral("SPANWELL_API_ORIGIN"),
                          QStringLiteral("http://127.0.0.1:9"));
        const auto finished = SpanwellProcess::run({"--refresh"}, asking, 70000);
        QVERIFY2(finished.exitCode == 0, finished.errors.constData());
        QCOMPARE(finished.output + finished.errors, QByteArray()); // X
        QCOMPARE(served.usageRequests(), before + 1);
        QVERIFY(served.cached().contains(served.home.pathOf(".claude")));
        if (trayRunning) {
            QCOMPARE(tray.state(), QProcess::Running);
            tray.terminate();
            QVERIFY(tray.waitForFinished(5000));
        }
    }

    // A refresh asked for while one runs is answered after the next, which started after it.
    void answersOnceARefreshStartedAfterTheRequestEnds() {
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("token-a"));
        const auto store = harness.makeStore();
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        // Each ticket with the number of refreshes that had ended when it was answered.
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
