#include "service/UsageParser.h"

#include <QTest>

using Readings = std::optional<QList<LimitReading>>;
using MaybeSubscription = std::optional<Subscription>;
Q_DECLARE_METATYPE(Readings)
Q_DECLARE_METATYPE(MaybeSubscription)

namespace {

// 2025-03-01T10:00:00Z
const Instant march1 = Instant::fromUnixSeconds(1740823200);

LimitReading reading(const char* title, double percent,
                     std::optional<Instant> resetsAt = std::nullopt) {
    return LimitReading{QString::fromUtf8(title), percent, resetsAt};
}

} // namespace

class UsageParserTest : public QObject {
    Q_OBJECT

private slots:
    void limitsAreRead_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<Readings>("readings");
        QTest::newRow("array of limits")
            << QByteArray(R"([{"kind":"session","percent":1}])") << Readings();
        QTest::newRow("not JSON") << QByteArray("<html>Bad gateway</html>") << Readings();
        QTest::newRow("truncated object")
            << QByteArray(R"({"five_hour":{"utilization":3})") << Readings();
        QTest::newRow("session then week")
            << QByteArray(R"({"limits":[
                {"kind":"session","percent":12,"resets_at":"2025-03-01T10:00:00Z"},
                {"kind":"weekly_all","percent":40}]})")
            << Readings({reading("Session", 12, march1), reading("Week", 40)});
        QTest::newRow("scoped by model, then unscoped, then a repeat")
            << QByteArray(R"({"limits":[
                {"kind":"weekly_scoped","percent":7,"scope":{"model":{"display_name":"Opus"}}},
                {"kind":"weekly_scoped","percent":8},
                {"kind":"weekly_scoped","percent":9,"scope":{"model":{"display_name":"Opus"}}}]})")
            << Readings({reading("Week, Opus", 7), reading("Week, scoped", 8)});
        QTest::newRow("scope path of wrong types") << QByteArray(R"({"limits":[
                {"kind":"weekly_scoped","percent":1,"scope":"opus"},
                {"kind":"weekly_scoped","percent":2,"scope":{"model":["Opus"]}},
                {"kind":"weekly_scoped","percent":3,"scope":{"model":{"display_name":4}}}]})")
                                                   << Readings({reading("Week, scoped", 1)});
        QTest::newRow("unlisted kinds are capitalised word by word")
            << QByteArray(R"({"limits":[
                {"kind":"extra_usage","percent":5},
                {"kind":"MONTHLY_eXtra__credits","percent":6},
                {"kind":"Session","percent":7}]})")
            << Readings({reading("Extra Usage", 5), reading("Monthly Extra  Credits", 6),
                         reading("Session", 7)});
        QTest::newRow("missing or non-text kind gives the empty title once")
            << QByteArray(R"({"limits":[{"percent":5},{"kind":3,"percent":6}]})")
            << Readings({reading("", 5)});
        QTest::newRow("percent must be a number; flags count as 1 and 0")
            << QByteArray(R"({"limits":[
                {"kind":"session"},
                {"kind":"session","percent":"12"},
                {"kind":"session","percent":null},
                {"kind":"weekly_all","percent":true},
                {"kind":"extra","percent":false},
                {"kind":"session","percent":140.5}]})")
            << Readings({reading("Week", 1), reading("Extra", 0), reading("Session", 140.5)});
        QTest::newRow("unreadable resets are left out")
            << QByteArray(R"({"limits":[
                {"kind":"session","percent":1,"resets_at":"2025-03-01"},
                {"kind":"weekly_all","percent":2,"resets_at":1740823200},
                {"kind":"a","percent":3,"resets_at":"2025-03-01T10:00:00.123456Z"}]})")
            << Readings(
                   {reading("Session", 1), reading("Week", 2), reading("A", 3, march1 + 0.123456)});
        QByteArray many = R"({"limits":[)";
        QList<LimitReading> first;
        for (int index = 0; index < 20000; ++index) {
            // Each title twice in a row.
            many += (index ? "," : "") + QStringLiteral(R"({"kind":"k%1","percent":%2})")
                                             .arg(index / 2)
                                             .arg(index)
                                             .toLatin1();
            if (index % 2 == 0 && first.size() < UsageParser::mostReadings)
                first.append(reading(qPrintable(QStringLiteral("K%1").arg(index / 2)), index));
        }
        QTest::newRow("thousands of entries, the first distinct ones kept")
            << many + "]}" << Readings(first);
        QTest::newRow("a list without readable entries does not fall back")
            << QByteArray(R"({"limits":[{"kind":"session"}],"five_hour":{"utilization":3}})")
            << Readings(QList<LimitReading>());
        // Without a usable "limits" list, the fixed keys are read.
        QTest::newRow("session with a six-digit fraction, week null")
            << QByteArray(R"({"five_hour":{"utilization":30,
                "resets_at":"2025-03-01T10:00:00.000000+00:00"},"seven_day":null})")
            << Readings({reading("Session", 30, march1)});
        QTest::newRow("fixed order whatever the written order")
            << QByteArray(
                   R"({"seven_day_sonnet":{"utilization":4},"seven_day_opus":{"utilization":3},
                "seven_day":{"utilization":2},"five_hour":{"utilization":1},"extra":{"utilization":9}})")
            << Readings({reading("Session", 1), reading("Week", 2), reading("Week, Opus", 3),
                         reading("Week, Sonnet", 4)});
        QTest::newRow("unreadable utilization is skipped, flags count")
            << QByteArray(R"({"five_hour":{"utilization":"30"},"seven_day":{"resets_at":null},
                "seven_day_opus":[{"utilization":1}],"seven_day_sonnet":{"utilization":false}})")
            << Readings({reading("Week, Sonnet", 0)});
        QTest::newRow("empty limits list")
            << QByteArray(R"({"limits":[],"five_hour":{"utilization":10},
                "seven_day":{"utilization":20,"resets_at":"nonsense"}})")
            << Readings({reading("Session", 10), reading("Week", 20)});
        QTest::newRow("limits list mixing objects and numbers")
            << QByteArray(R"({"limits":[{"kind":"session","percent":50},3],
                "five_hour":{"utilization":10}})")
            << Readings({reading("Session", 10)});
        QTest::newRow("limits that are not a list")
            << QByteArray(R"({"limits":{"kind":"session","percent":50},
                "seven_day":{"utilization":-2}})")
            << Readings({reading("Week", -2)});
    }
    void limitsAreRead() {
        QFETCH(QByteArray, reply);
        QFETCH(Readings, readings);
        QCOMPARE(UsageParser::limits(reply), readings);
    }

    void subscription_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<MaybeSubscription>("subscription");
        QTest::newRow("not an object") << QByteArray("[{}]") << MaybeSubscription();
        QTest::newRow("organization not an object")
            << QByteArray(R"({"organization":"Acme"})") << MaybeSubscription();
        QTest::newRow("status and creation")
            << QByteArray(R"({"account":{},"organization":{"name":"Acme",
                "subscription_status":"active","subscription_created_at":"2025-03-01T12:00:00+02:00"}})")
            << MaybeSubscription(Subscription{QStringLiteral("active"), march1});
        QTest::newRow("unreadable creation keeps the status")
            << QByteArray(R"({"organization":{"subscription_status":"past_due",
                "subscription_created_at":"yesterday"}})")
            << MaybeSubscription(Subscription{QStringLiteral("past_due"), std::nullopt});
        QTest::newRow("fields of the wrong type")
            << QByteArray(R"({"organization":{"subscription_status":true,
                "subscription_created_at":1740823200}})")
            << MaybeSubscription(Subscription{});
    }
    void subscription() {
        QFETCH(QByteArray, reply);
        QFETCH(MaybeSubscription, subscription);
        QCOMPARE(UsageParser::subscription(reply), subscription);
    }
};

QTEST_GUILESS_MAIN(UsageParserTest)
#include "UsageParserTest.moc"
