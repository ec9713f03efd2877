#include "history/HistoryFile.h"
#include "support/SpanwellProcess.h"
#include "support/TemporaryHome.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

namespace {

const Instant now(800000000);

HistoryReading reading(double percent, Instant readAt, std::optional<Instant> resetsAt = now + 600,
                       const QString& folder = "/home/a/.claude") {
    return {folder, "Session", percent, resetsAt, readAt, HistoryReading::Source::service};
}

// A PRAGMA's value, read by a connection of the test's own.
QVariant pragma(const QString& path, const QString& name) {
    QVariant value;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "test");
        database.setDatabaseName(path);
        database.open();
        QSqlQuery query(database);
        if (query.exec("PRAGMA " + name) && query.next())
            value = query.value(0);
    }
    QSqlDatabase::removeDatabase("test");
    return value;
}

QList<double> percents(const QString& path) {
    QList<double> found;
    for (const HistoryReading& kept : HistoryFile(path).readings(Instant()))
        found.append(kept.percent);
    return found;
}

} // namespace

class HistoryFileTest : public QObject {
    Q_OBJECT

private slots:
    // A second reading of a limit is kept unless it equals the last one within a minute.
    void keepsAReadingOnce_data() {
        QTest::addColumn<HistoryReading>("second");
        QTest::addColumn<int>("kept");
        QTest::newRow("the same again") << reading(40, now) << 1;
        QTest::newRow("equal within a minute") << reading(40, now + 60) << 1;
        QTest::newRow("equal a minute later") << reading(40, now + 61) << 2;
        QTest::newRow("another share") << reading(41, now + 5) << 2;
        QTest::newRow("another reset") << reading(40, now + 5, now + 900) << 2;
        QTest::newRow("no reset") << reading(40, now + 5, std::nullopt) << 2;
        QTest::newRow("another account")
            << reading(40, now + 5, now + 600, "/home/a/.claude-work") << 2;
    }
    void keepsAReadingOnce() {
        QFETCH(HistoryReading, second);
        QFETCH(int, kept);
        QTemporaryDir folder;
        const QString path = folder.filePath("state/history.sqlite");
        QCOMPARE(HistoryFile(path).record({reading(40, now)}, now, 90), 1);
        HistoryFile(path).record({second}, now, 90);
        const QList<HistoryReading> found = HistoryFile(path).readings(now - 86400);
        QCOMPARE(found.size(), kept);
        QCOMPARE(found.first(), reading(40, now));
        QCOMPARE(found.last(), kept == 1 ? reading(40, now) : second);
        QCOMPARE(pragma(path, "user_version").toInt(), HistoryFile::schemaVersion);
        QCOMPARE(pragma(path, "journal_mode").toString(), "wal");
        QCOMPARE(QFileInfo(path).permissions() & 0x0077, 0);
    }

    // A limit's recent use: the last reading of each span before the detailed end, then every
    // one.
    void thinsOutOlderUse() {
        QTemporaryDir folder;
        const QString path = folder.filePath("history.sqlite");
        const Instant start = Instant::fromUnixSeconds(1778306000);
        QList<HistoryReading> kept;
        for (int step = 0; step < 30; ++step)
            kept.append(reading(step, start + step * 100));
        QCOMPARE(HistoryFile(path).record(kept, start, 90), 30);
        const QList<LimitHistory> recent =
            HistoryFile(path).recentUse(start + 50, start + 2000, 1000);
        QCOMPARE(recent.size(), 1);
        QList<double> percents;
        for (const UsePoint& point : recent.first().points)
            percents.append(point.percent);
        QCOMPARE(percents, QList<double>({9, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}));
        QCOMPARE(recent.first().points.first().readAt, start + 900);
    }

    // Readings older than the days kept go, at most once a day.
    void removesOldReadingsOnceADay() {
        QTemporaryDir folder;
        const QString path = folder.filePath("history.sqlite");
        const Instant old = now - 3 * 86400 - 1;
        HistoryFile(path).record({reading(10, old), reading(20, now - 86400)}, now, 3);
        QCOMPARE(percents(path), QList<double>({20}));
        HistoryFile(path).record({reading(11, old), reading(30, now)}, now + 86399, 3);
        QCOMPARE(percents(path), QList<double>({11, 20, 30}));
        HistoryFile(path).record({reading(31, now + 86400)}, now + 86400, 3);
        QCOMPARE(percents(path), QList<double>({20, 30, 31}));
    }

    // A file that is no database is moved aside whole and a new one begun; one a newer
    // program wrote is left as it is.
    void movesAsideWhatIsNoDatabase_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("text") << QByteArray("not a database\n");
        QTest::newRow("a damaged database")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xff');
    }
    void movesAsideWhatIsNoDatabase() {
        QFETCH(QByteArray, contents);
        QTemporaryDir folder;
        const QString path = folder.filePath("history.sqlite");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
        file.close();
        QVERIFY(HistoryFile(path).isOpen());
        QCOMPARE(HistoryFile(path).record({reading(40, now)}, now, 90), 1);
        const QStringList aside =
            QDir(folder.path()).entryList({"history.sqlite.unreadable-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QFile moved(folder.filePath(aside.first()));
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QCOMPARE(moved.readAll(), contents);
        QCOMPARE(QFileInfo(path).permissions() & 0x0077, 0);
    }
    void leavesALaterSchemaAlone() {
        QTemporaryDir folder;
        const QString path = folder.filePath("history.sqlite");
        HistoryFile(path).record({reading(40, now)}, now, 90);
        pragma(path, "user_version = 2");
        QCOMPARE(HistoryFile(path).record({reading(50, now + 300)}, now + 300, 90), 0);
        QCOMPARE(HistoryFile(path).readings(Instant()), QList{reading(40, now)});
        QCOMPARE(QDir(folder.path()).entryList({"*.unreadable-*"}).size(), 0);
    }

    // The tray program's writer and two terminal runs at once, each run a process of its own
    // with new figures from Claude Code's status line: every reading is kept, none waits
    // past the busy time-out.
    void keepsEveryReadingOfWritersAtOnce() {
        TemporaryHome home;
        home.addAccount(".claude", "ann@example.com");
        home.addAccount(".claude-work", "work@example.com");
        QProcessEnvironment environment = SpanwellProcess::environment(home.path());
        environment.insert("QT_LOGGING_RULES", "spanwell.*=true");
        constexpr int runs = 30;
        const qint64 reset = QDateTime::currentSecsSinceEpoch() + 7200;
        QList<QProcess*> terminals;
        for (const QString& folder : {home.pathOf(".claude"), home.pathOf(".claude-work")}) {
            environment.insert("CLAUDE_CONFIG_DIR", folder);
            auto* terminal = new QProcess(this);
            terminal->setProcessEnvironment(environment);
            terminal->start("sh", {"-c",
                                   QString("for i in $(seq 1 %1); do printf "
                                           "'{\"rate_limits\":{\"five_hour\":{\"used_"
                                           "percentage\":%s,\"resets_at\":%2},\"seven_day\":"
                                           "{\"used_percentage\":%s,\"resets_at\":%2}}}' "
                                           "$i $i | \"$0\" --statusline >/dev/null; done")
                                       .arg(runs)
                                       .arg(reset),
                                   SpanwellProcess::path()});
            terminals.append(terminal);
        }
        const QString path = home.pathOf(".local/state/Spanwell/history.sqlite");
        // At the present, as the runs' are, so that none's removal of old readings takes them.
        const QFuture<int> tray = QtConcurrent::run([&path, present = Instant::now()] {
            int kept = 0;
            for (int i = 0; i < 100; ++i)
                kept += HistoryFile(path).record({reading(i, present + i, present, "/tray")},
                                                 present, 90);
            return kept;
        });
        for (QProcess* terminal : std::as_const(terminals)) {
            QVERIFY(terminal->waitForFinished(60000));
            QCOMPARE(terminal->exitCode(), 0);
            const QByteArray errors = terminal->readAllStandardError();
            QVERIFY2(!errors.contains("history"), errors.constData());
        }
        QCOMPARE(tray.result(), 100);
        const QList<HistoryReading> all = HistoryFile(path).readings(Instant());
        QCOMPARE(all.size(), 100 + 2 * 2 * runs);
        QCOMPARE(HistoryFile(path).readings(Instant(), home.pathOf(".claude-work")).size(),
                 2 * runs);
    }
};

QTEST_GUILESS_MAIN(HistoryFileTest)
#include "HistoryFileTest.moc"
