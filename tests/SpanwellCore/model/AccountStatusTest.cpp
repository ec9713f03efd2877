#include "model/AccountStatus.h"

#include <QTest>

namespace {

const Instant now(800000000);
using Level = AccountStatus::Level;

LimitReading reading(const char* title, double percent,
                     std::optional<double> resetInSeconds = std::nullopt) {
    std::optional<Instant> reset;
    if (resetInSeconds)
        reset = now + *resetInSeconds;
    return LimitReading{QString::fromUtf8(title), percent, reset};
}

} // namespace

class AccountStatusTest : public QObject {
    Q_OBJECT

private slots:
    void verdictFollowsTheReadings_data() {
        QTest::addColumn<QList<LimitReading>>("limits");
        QTest::addColumn<Level>("level");
        QTest::addColumn<QString>("text");
        const double hour = 3600, day = 86400;

        QTest::newRow("nothing known") << QList<LimitReading>{} << Level::unknown << "No data yet";
        QTest::newRow("blocked without reset")
            << QList{reading("Session", 100)} << Level::blocked << "Limit reached";
        QTest::newRow("latest reset wins")
            << QList{reading("Session", 100, hour), reading("Week", 100, 3 * day)} << Level::blocked
            << "Back in 3d 0h";
        QTest::newRow("blocking reading without reset is passed over")
            << QList{reading("Session", 100), reading("Week", 120, 2 * hour)} << Level::blocked
            << "Back in 2h 0m";
        QTest::newRow("reset instant is now")
            << QList{reading("Session", 100, 0)} << Level::ready << "Ready";
        QTest::newRow("scoped limit outranks near warning")
            << QList{reading("Session", 40), reading("Week", 95),
                     reading("Week, Opus", 100, 5 * hour)}
            << Level::partial << "Opus back in 5h 0m";
        QTest::newRow("scoped limit without reset")
            << QList{reading("Week, Sonnet", 120)} << Level::partial << "Sonnet limit reached";
        QTest::newRow("first used-up scoped limit")
            << QList{reading("Week, Opus", 100, hour), reading("Week, Sonnet", 100)}
            << Level::partial << "Opus back in 1h 0m";
        QTest::newRow("whole account outranks scoped")
            << QList{reading("Week, Opus", 100), reading("Week", 100)} << Level::blocked
            << "Limit reached";
        QTest::newRow("nearest wins") << QList{reading("Session", 91), reading("Week", 92.5)}
                                      << Level::ready << "8% of week left";
        QTest::newRow("tie goes to the first") << QList{reading("Session", 90), reading("Week", 90)}
                                               << Level::ready << "10% of session left";
        QTest::newRow("rounds to nothing left")
            << QList{reading("Session", 99.99)} << Level::ready << "0% of session left";
        QTest::newRow("just under near")
            << QList{reading("Session", 89.9), reading("Week", 10)} << Level::ready << "Ready";
        QTest::newRow("scoped never near")
            << QList{reading("Week, Opus", 95)} << Level::ready << "Ready";
    }
    void verdictFollowsTheReadings() {
        QFETCH(QList<LimitReading>, limits);
        QFETCH(Level, level);
        QFETCH(QString, text);
        QCOMPARE(AccountStatus::make(limits, now), (AccountStatus{level, text}));
    }
};

QTEST_GUILESS_MAIN(AccountStatusTest)
#include "AccountStatusTest.moc"
