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
    void verdictFollowsTheReadings() {
        using enum AccountStatus::Level;
        const std::tuple<QList<LimitReading>, AccountStatus::Level, const char*> rows[] = {
            {{}, unknown, "No data yet"},
            {{reading("Session", 100)}, blocked, "Limit reached"},
            // The latest reset of the used-up limits tells when the account is back.
            {{reading("Session", 100, hour), reading("Week", 100, 3 * day)},
             blocked,
             "Back in 3d 0h"},
            {{reading("Session", 100), reading("Week", 120, 2 * hour)}, blocked, "Back in 2h 0m"},
            // A limit is back at its reset instant.
            {{reading("Session", 100, 0)}, ready, "Ready"},
            // A used-up scoped limit outranks a whole-account one that is nearly used up.
            {{reading("Session", 40), reading("Week", 95), reading("Week, Opus", 100, 5 * hour)},
             partial,
             "Opus back in 5h 0m"},
            {{reading("Week, Sonnet", 120)}, partial, "Sonnet limit reached"},
            {{reading("Week, Opus", 100, hour), reading("Week, Sonnet", 100)},
             partial,
             "Opus back in 1h 0m"},
            {{reading("Week, Opus", 100), reading("Week", 100)}, blocked, "Limit reached"},
            // The nearest whole-account limit from 90 % on is named; on a tie, the first.
            {{reading("Session", 91), reading("Week", 92.5)}, ready, "8% of week left"},
            {{reading("Session", 90), reading("Week", 90)}, ready, "10% of session left"},
            {{reading("Session", 99.99)}, ready, "0% of session left"},
            {{reading("Session", 89.9), reading("Week", 10)}, ready, "Ready"},
            {{reading("Week, Opus", 95)}, ready, "Ready"}};
        for (const auto& [limits, level, text] : rows) {
            const AccountStatus status = AccountStatus::make(limits, now);
            QCOMPARE(status.text, QString(text));
            QVERIFY2(status.level == level, text);
        }
    }
};

QTEST_GUILESS_MAIN(AccountStatusTest)
#include "AccountStatusTest.moc"
