#include "Spanwell/store/StoreHarness.h"
#include "Spanwell/views/Widgets.h"
#include "commandline/StatusLineText.h"
#include "notifications/NotificationCenter.h"
#include "store/SnapshotCache.h"
#include "support/SpanwellProcess.h"
#include "views/PanelView.h"

#include <QDateTime>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

const qint64 unixNow = QDateTime::currentSecsSinceEpoch();

// A session window as Claude Code reports it, resetting in a little over two hours.
QByteArray window(double used) {
    return "{\"used_percentage\":" + QByteArray::number(used) +
           ",\"resets_at\":" + QByteArray::number(unixNow + 7230) + '}';
}

// What Claude Code hands its status line after a reply, with the session's window as given
// and the week at `week` percent.
QByteArray input(const QByteArray& fiveHour, double week = 60) {
    return "{\"session_id\":\"5f1c\",\"model\":{\"display_name\":\"Opus\"},\"rate_limits\":"
           "{\"five_hour\":" +
           fiveHour + ",\"seven_day\":{\"used_percentage\":" + QByteArray::number(week) +
           ",\"resets_at\":" + QByteArray::number(unixNow + 400000) + "}}}";
}

// `spanwell --statusline` as Claude Code runs it in `configDir` (the default folder when empty).
SpanwellProcess::Finished statusLine(const QString& home, const QByteArray& text,
                                     const QString& configDir = {}, bool colours = false) {
    QProcessEnvironment environment = SpanwellProcess::environment(home);
    if (!colours)
        environment.insert("NO_COLOR", "1");
    if (!configDir.isEmpty())
        environment.insert("CLAUDE_CONFIG_DIR", configDir);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(SpanwellProcess::path(), {"--statusline"});
    process.write(text);
    process.closeWriteChannel();
    const bool ended =
        process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput(), {}};
}

Entry readings(const QString& email, double session, double week, Instant now) {
    return Entry{
        Account{"/home/a/.claude-" + email, {}, email, {}, {}},
        Snapshot{{{"Session", session, now + 11520}, {"Week", week, now + 86400}}, {}, {}, {}, now},
        {}};
}

} // namespace

class StatusLineTest : public QObject {
    Q_OBJECT

private slots:
    // Claude Code's figures replace the account's Session and Week and keep the rest of what
    // its last refresh found, for the folder Claude Code names through a link and for the
    // default one; the figures fetched last win, whoever writes them.
    void recordsClaudeCodesFigures() {
        TemporaryHome home;
        home.addAccount(".claude", "ann@example.com");
        const QString work = home.addAccount(".claude-work", "work@example.com");
        const QString cache = home.pathOf(".local/share/Spanwell/snapshots.json");
        const Account workAccount{work, {}, "work@example.com", {}, {}};
        Snapshot last{
            {{"Session", 5, {}}, {"Week", 6, {}}, {"Week, Opus", 70, {}}}, {}, {}, {}, {}};
        last.extraUsage = ExtraUsage{true, Money{1540, "USD"}, Money{2000, "USD"}, 77};
        QVERIFY(SnapshotCache::write(cache, home.path(),
                                     {Entry{workAccount, last, FetchProblem::signInExpired()}},
                                     systemClock()));

        const Instant before = Instant::now();
        const auto ran = statusLine(home.path(), input(window(23.5), 41.2), work, true);
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.output, "\x1b[32msession 24% \u00B7 2h 0m\x1b[0m  \x1b[32mweek 41%\x1b[0m\n");
        SnapshotCache::Record recorded = SnapshotCache::read(cache).value(work);
        QCOMPARE(recorded.snapshot->limits,
                 (QList<LimitReading>{{"Session", 23.5, Instant::fromUnixSeconds(unixNow + 7230)},
                                      {"Week", 41.2, Instant::fromUnixSeconds(unixNow + 400000)},
                                      last.limits[2]}));
        QCOMPARE(recorded.snapshot->extraUsage, last.extraUsage);
        QVERIFY(recorded.snapshot->fromClaudeCode && recorded.snapshot->fetchedAt >= before);
        // Claude Code works in it, so its sign-in has not lapsed.
        QVERIFY(!recorded.problem);
        // The same figures again soon after are in the cache already.
        const QByteArray written = readFile(cache);
        QCOMPARE(statusLine(home.path(), input(window(23.5), 41.2), work).exitCode, 0);
        QCOMPARE(readFile(cache), written);

        // The default folder nearly out of its session points to the account with room.
        QCOMPARE(statusLine(home.path(), input(window(93), 50)).output,
                 "session 93% \u00B7 2h 0m  week 50%  \u2192 work@example.com 24%\n");
        QCOMPARE(
            SnapshotCache::read(cache).value(home.pathOf(".claude")).snapshot->limits[0].percent,
            93);

        QVERIFY(QFile::link(work, home.makeFolder("links") + "/work"));
        statusLine(home.path(), input(window(30)), home.pathOf("links/work"));
        recorded = SnapshotCache::read(cache).value(work);
        QCOMPARE(recorded.snapshot->limits[0].percent, 30);
        // The tray program's figures fetched before Claude Code's lose to them, later ones win.
        Snapshot tray{{{"Session", 31, {}}}, {}, {}, {}, recorded.snapshot->fetchedAt - 1};
        QVERIFY(SnapshotCache::write(cache, home.path(), {Entry{workAccount, tray, {}}},
                                     systemClock()));
        QCOMPARE(SnapshotCache::read(cache).value(work).snapshot, recorded.snapshot);
        tray.fetchedAt = Instant::now();
        QVERIFY(SnapshotCache::write(cache, home.path(), {Entry{workAccount, tray, {}}},
                                     systemClock()));
        QCOMPARE(SnapshotCache::read(cache).value(work).snapshot, tray);
    }

    // Nothing but valid figures for a tracked account's folder is recorded: anything else
    // leaves the cache byte for byte, and the line shows the input's figures, else the
    // cache's, else says there are none; always one line and status 0.
    void anythingElseChangesNothing_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("configDir");
        QTest::addColumn<QByteArray>("line");
        const QByteArray cached = "session 10%  week 20%\n";
        const QByteArray reported = "session 50% \u00B7 2h 0m  week 60%\n";
        QTest::newRow("garbage") << QByteArray("not JSON \x01\x1b[2J") << ".claude-work" << cached;
        QTest::newRow("empty") << QByteArray() << ".claude-work" << cached;
        QTest::newRow("no rate limits")
            << QByteArray("{\"session_id\":\"5f1c\"}") << ".claude-work" << cached;
        QTest::newRow("2 MB") << QByteArray(2 << 20, ' ') + input(window(50)) << ".claude-work"
                              << cached;
        QTest::newRow("a string") << input("{\"used_percentage\":\"50\"}") << ".claude-work"
                                  << cached;
        QTest::newRow("beyond any number")
            << input("{\"used_percentage\":1e999}") << ".claude-work" << cached;
        QTest::newRow("over 1000") << input(window(1000.5)) << ".claude-work" << cached;
        QTest::newRow("reset in 1999") << input("{\"used_percentage\":50,\"resets_at\":946684799}")
                                       << ".claude-work" << cached;
        QTest::newRow("a folder that is no account")
            << input(window(50)) << "elsewhere" << reported;
        QTest::newRow("a link to a folder that is no account")
            << input(window(50)) << "links/elsewhere" << reported;
        QTest::newRow("a hidden account") << input(window(50)) << ".claude-hidden" << reported;
        QTest::newRow("no default account, no figures")
            << QByteArray("{}") << QString()
            << QByteArray("Spanwell: no usage figures for this account yet\n");
    }
    void anythingElseChangesNothing() {
        QFETCH(QByteArray, input);
        QFETCH(QString, configDir);
        QFETCH(QByteArray, line);
        TemporaryHome home;
        const QString work = home.addAccount(".claude-work", "work@example.com");
        home.writeFile(".config/Spanwell/Spanwell.conf",
                       "[General]\nhiddenAccountFolders=" +
                           home.addAccount(".claude-hidden", "h@example.com").toUtf8() + '\n');
        QVERIFY(QFile::link(home.makeFolder("elsewhere"), home.makeFolder("links") + "/elsewhere"));
        const QString cache = home.pathOf(".local/share/Spanwell/snapshots.json");
        QVERIFY(SnapshotCache::write(
            cache, home.path(),
            {Entry{Account{work, {}, {}, {}, {}},
                   Snapshot{{{"Session", 10, {}}, {"Week", 20, {}}}, {}, {}, {}, Instant::now()},
                   {}}},
            systemClock()));
        const QByteArray before = readFile(cache);
        const auto ran = statusLine(home.path(), input,
                                    configDir.isEmpty() ? QString() : home.pathOf(configDir));
        QCOMPARE(ran.exitCode, 0);
        QCOMPARE(ran.output, line);
        QCOMPARE(readFile(cache), before);
    }

    // Green below 80 %, yellow from it, red from 100 %, or no colours at all; another account
    // is worth a pointer from 90 % of the session or when this one is blocked, and its
    // address is escaped.
    void theLine_data() {
        QTest::addColumn<double>("session");
        QTest::addColumn<double>("week");
        QTest::addColumn<bool>("colours");
        QTest::addColumn<bool>("wantsAnother");
        QTest::addColumn<QString>("line");
        QTest::newRow("green")
            << 24.0 << 79.4 << true << false
            << "\x1b[32msession 24% \u00B7 3h 12m\x1b[0m  \x1b[32mweek 79%\x1b[0m";
        QTest::newRow("yellow from 80")
            << 80.0 << 99.9 << true << false
            << "\x1b[33msession 80% \u00B7 3h 12m\x1b[0m  \x1b[33mweek 100%\x1b[0m";
        QTest::newRow("red from 100, blocked")
            << 10.0 << 100.0 << true << true
            << "\x1b[32msession 10% \u00B7 3h 12m\x1b[0m  \x1b[31mweek 100%\x1b[0m"
               "  \u2192 w\\x1b[2J@example.com 12%";
        QTest::newRow("no colours from 90 %")
            << 90.0 << 20.0 << false << true
            << "session 90% \u00B7 3h 12m  week 20%  \u2192 w\\x1b[2J@example.com 12%";
        QTest::newRow("below 90 %")
            << 89.9 << 20.0 << false << false << "session 90% \u00B7 3h 12m  week 20%";
    }
    void theLine() {
        QFETCH(double, session);
        QFETCH(double, week);
        QFETCH(bool, colours);
        QFETCH(bool, wantsAnother);
        QFETCH(QString, line);
        const Instant now(800000000);
        const Entry entry = readings("a@example.com", session, week, now);
        QCOMPARE(StatusLineText::wantsAnother(entry, now), wantsAnother);
        const std::optional<Entry> other =
            wantsAnother ? std::optional(readings("w\x1b[2J@example.com", 12, 5, now))
                         : std::nullopt;
        QCOMPARE(StatusLineText::line(entry, other, now, colours), line);
    }

    // The tray program takes in what a status line recorded, without a request: its panel,
    // its notifications; its next regular refresh leaves that account's service unasked.
    void theTrayProgramFollows() {
        StoreHarness harness;
        harness.cachePath = harness.home.pathOf(".local/share/Spanwell/snapshots.json");
        harness.clock.advance(Instant::now() - harness.clock.now());
        harness.addAccount(".claude", "token-a");
        harness.addAccount(".claude-work", "token-w");
        harness.client->answer("token-a", "/api/oauth/usage", usageReply(75, 10));
        harness.client->answer("token-w", "/api/oauth/usage", usageReply(20, 20));
        const auto store = harness.makeStore();
        QList<Notification> sent;
        NotificationCenter center(
            *store, harness.openSettings(), harness.home.pathOf("state/announced.json"),
            [&sent](const Announcement& announcement) { sent << announcement.notification; });
        PanelView panel(*store, store->now(), {}, {});
        store->followCache();
        QVERIFY(StoreHarness::refreshAndWait(*store));
        QCOMPARE(harness.client->requests().size(), 4);
        QVERIFY(Widgets::named(panel, "summary")->text().endsWith("average session use 48%"));

        QCOMPARE(statusLine(harness.home.path(), input(window(82))).exitCode, 0);
        harness.clock.advance(Instant::now() - harness.clock.now());
        QTRY_COMPARE_WITH_TIMEOUT(sent.size(), 1, 1000);
        QCOMPARE(sent[0].summary, "Session limit nearly used up");
        QVERIFY(Widgets::named(panel, "summary")->text().endsWith("average session use 51%"));
        QCOMPARE(harness.client->requests().size(), 4);

        harness.clock.advance(61);
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        store->refreshIfStale();
        QVERIFY(finished.wait());
        QCOMPARE(harness.client->count("token-a", "/api/oauth/usage"), 1);
        QCOMPARE(harness.client->count("token-w", "/api/oauth/usage"), 2);
    }
};

QTEST_MAIN(StatusLineTest)
#include "StatusLineTest.moc"
