#include "notifications/Announcer.h"
#include "support/TemporaryHome.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using Moment = Announcement::Moment;

namespace {

const Instant start(800000000);
constexpr double hour = 3600;
// A session that resets four hours after the start, a week that resets in three days.
constexpr double session = 4 * hour;
constexpr double week = 72 * hour;

// A reading, whose reset instant counts from the start.
struct Reading {
    const char* title;
    double percent;
    std::optional<double> resetAt = std::nullopt;
};

// One refresh, `at` seconds after the start, of the one account.
struct Step {
    double at;
    QList<Reading> readings;
    // Each as said() writes it.
    QStringList announced = {};
    // When blocked accounts are next checked, from the start.
    std::optional<double> nextCheck = std::nullopt;
    bool failed = false;
    // The program starts again before this refresh.
    bool restart = false;
};

QString said(Moment moment, const QString& limit = {}) {
    return QString::number(int(moment)) + QLatin1Char(' ') + limit;
}

Entry entry(const Step& step) {
    QList<LimitReading> limits;
    for (const Reading& reading : step.readings)
        limits.append({reading.title, reading.percent,
                       reading.resetAt ? std::optional(start + *reading.resetAt) : std::nullopt});
    return Entry{Account{"/home/ann/.claude-work", {}, "work@example.com", {}, {}},
                 Snapshot{limits, {}, {}, {}, start + step.at},
                 step.failed ? std::optional(FetchProblem::failed("Offline")) : std::nullopt};
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class AnnouncerTest : public QObject {
    Q_OBJECT

private slots:
    void announcesWhatItSeesHappen_data() {
        QTest::addColumn<QList<Step>>("steps");
        const QStringList eighty{said(Moment::nearlyUsedUp, "Session")};
        const QStringList hundred{said(Moment::usedUp, "Session")};
        const QStringList usable{said(Moment::usableAgain)};
        const QList<Reading> blocked{{"Session", 100, hour}, {"Week", 85, week}};
        QTest::newRow("80 % once, then 100 % once")
            << QList<Step>{{0, {{"Session", 70, session}}},
                           {300, {{"Session", 82, session}}, eighty},
                           {600, {{"Session", 79, session + 0.4}}},
                           {900, {{"Session", 89, session - 1}}},
                           {1200, {{"Session", 100, session}}, hundred, session + 5}};
        QTest::newRow("not from a failed fetch, and again in a new window")
            << QList<Step>{{0, {{"Session", 70, session}}},
                           {300, {{"Session", 85, session}}, {}, {}, true},
                           {600, {{"Session", 85, session}}, eighty},
                           {session + 60, {{"Session", 85, session + 5 * hour}}, eighty}};
        QTest::newRow("one a refresh, remembered across a restart, said once") << QList<Step>{
            {0, {{"Session", 70, hour}, {"Week", 70, week}}},
            {300, blocked, hundred, hour + 5},
            {600, blocked, {said(Moment::nearlyUsedUp, "Week")}, hour + 5, false, true},
            {900, blocked, {}, hour + 5},
            {1200, {{"Week", 79, week}}, {}, {}, false, true},
            {1500, {{"Week", 95, week}}}};
        QTest::newRow("checks again, ever slower, while a limit blocks")
            << QList<Step>{{0, {{"Session", 100, hour}}, {}, hour + 5},
                           {hour + 5, {{"Session", 100, hour}}, {}, hour + 35},
                           {hour + 35, {{"Session", 100, hour}}, {}, hour + 95, true},
                           {hour + 95, {{"Session", 100, hour}}, {}, hour + 215},
                           {hour + 215, {{"Session", 100, hour}}, {}, hour + 455},
                           {hour + 455, {{"Session", 100, hour}}, {}, hour + 755},
                           {hour + 1055, {{"Session", 0}, {"Week", 100, week}}, {}, week + 5},
                           {hour + 1355, {{"Session", 0}, {"Week", 0}}, usable}};
        const QList<Reading> unused{{"Week, Opus", 71, 10 * hour}, {"Week", 70, 10 * hour}};
        QTest::newRow("use it or lose it, 8 hours before the reset")
            << QList<Step>{{0, unused},
                           {hour, unused, {}, {}, false, true},
                           {2 * hour, unused, {said(Moment::resetsSoonUnused, "Week")}}};
    }
    void announcesWhatItSeesHappen() {
        QFETCH(QList<Step>, steps);
        QTemporaryDir folder;
        double seconds = 0;
        std::unique_ptr<UserSettings> settings;
        std::unique_ptr<Announcer> announcer;
        // As a new run of the program, which opens the settings and reads the records again.
        const auto restart = [&] {
            announcer.reset();
            settings = std::make_unique<UserSettings>(folder.filePath("settings.ini"));
            announcer = std::make_unique<Announcer>(*settings, folder.filePath("announced.json"),
                                                    [&seconds] { return start + seconds; });
        };
        restart();
        // Off at first, and kept on across the rows' restarts.
        settings->setValue(Settings::useItOrLoseItNotifications, true);
        for (const Step& step : steps) {
            if (step.restart)
                restart();
            seconds = step.at;
            const Entry refreshed = entry(step);
            QStringList announced;
            for (const Announcement& announcement :
                 announcer->observe({refreshed}, {refreshed.id()})) {
                QVERIFY(announcement.notification.body.contains(refreshed.account.email));
                announced.append(said(announcement.moment, announcement.limit));
            }
            QCOMPARE(announced, step.announced);
            const std::optional<Instant> next = announcer->nextCheck();
            QCOMPARE(next ? std::optional(*next - start) : std::nullopt, step.nextCheck);
        }
    }

    // Earlier versions kept the records in the settings file: they move to their own file once,
    // and what an earlier run saw happen is still announced.
    void recordsMoveOutOfTheSettingsOnce() {
        QTemporaryDir folder;
        const QString settingsPath = folder.filePath("settings.ini");
        const QString records = folder.filePath("state/Spanwell/announced.json");
        const QByteArray former =
            R"([{"account":"/home/ann/.claude-work","announced":0,"limit":"Session","pending":1}])";
        std::unique_ptr<UserSettings> settings;
        std::unique_ptr<Announcer> announcer;
        // Then an earlier version run in between writes its records to the settings again.
        for (const QByteArray& inSettings : {former, QByteArray("[]")}) {
            QSettings(settingsPath, QSettings::IniFormat)
                .setValue(Settings::formerAnnouncements.key, inSettings);
            announcer.reset();
            settings = std::make_unique<UserSettings>(settingsPath);
            announcer = std::make_unique<Announcer>(*settings, records, [] { return start; });
            QCOMPARE(readFile(records), former);
            QVERIFY(!QSettings(settingsPath, QSettings::IniFormat)
                         .contains(Settings::formerAnnouncements.key));
        }
        const Entry nearlyUsedUp = entry(Step{0, {{"Session", 85}}});
        QCOMPARE(announcer->observe({nearlyUsedUp}, {nearlyUsedUp.id()}).size(), 1);
    }
};

QTEST_GUILESS_MAIN(AnnouncerTest)
#include "AnnouncerTest.moc"
