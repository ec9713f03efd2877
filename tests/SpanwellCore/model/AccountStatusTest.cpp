#include "model/AccountStatus.h"

#include <QTest>

namespace {

const Instant now(800000000);
const double hour = 3600, day = 86400;

LimitReading reading(const char* title, double percent,
                     std::optional<double> resetInSeconds = std::nullopt) {
    return LimitReading{QString::fromUtf8(title), percent,
                        resetInSeconds ? std::optional(now + *resetInSeconds) : std::nullopt};
}

} // namespace

class AccountStatusTest : public QObject {
    Q_OBJECT

private slots:
    void verdictFollowsTheReadings_data() {
        QTest::addColumn<QList<LimitReading>>("limits");
        QTest::addColumn<AccountStatus::Level>("level");
        QTest::addColumn<QString>("text");
        using enum AccountStatus::Level;
        const auto row = [](const char* name, QList<LimitReading> limits,
                            AccountStatus::Level level, const char* text) {
            QTest::newRow(name) << limits << level << QString::fromUtf8(text);
        };
        row("no readings", {}, unknown, "No data yet");
        row("used up", {reading("Session", 100)}, blocked, "Limit reached");
        // The latest reset of the used-up limits tells when the account is back.
        row("back at the latest reset",
            {reading("Session", 100, hour), reading("Week", 100, 3 * day)}, blocked,
            "Back in 3d 0h");
        row("back at the one reset known",
            {reading("Session", 100), reading("Week", 120, 2 * hour)}, blocked, "Back in 2h 0m");
        row("back at its reset instant", {reading("Session", 100, 0)}, ready, "Ready");
        // A used-up scoped limit outranks a whole-account one that is nearly used up.
        row("scoped limit used up",
            {reading("Session", 40), reading("Week", 95), reading("Week, Opus", 100, 5 * hour)},
            partial, "Opus back in 5h 0m");
        row("scoped limit without a reset", {reading("Week, Sonnet", 120)}, partial,
            "Sonnet limit reached");
        row("whole account before scoped", {reading("Week, Opus", 100), reading("Week", 100)},
            blocked, "Limit reached");
        // The nearest whole-account limit from 90 % on is named; on a tie, the first.
        row("nearest limit named", {reading("Session", 91), reading("Week", 92.5)}, ready,
            "8% of week left");
        row("tie names the first", {reading("Session", 90), reading("Week", 90)}, ready,
            "10% of session left");
        row("below 90 %", {reading("Session", 89.9), reading("Week", 10)}, ready, "Ready");
        row("scoped limit nearly used up", {reading("Week, Opus", 95)}, ready, "Ready");
    }
    void verdictFollowsTheReadings() {
        QFETCH(QList<LimitReading>, limits);
        QFETCH(AccountStatus::Level, level);
        QFETCH(QString, text);
        const AccountStatus status = AccountStatus::make(limits, now);
        QCOMPARE(status.text, text);
        QVERIFY(status.level == level);
    }
};

QTEST_GUILESS_MAIN(AccountStatusTest)
#include "AccountStatusTest.moc"
