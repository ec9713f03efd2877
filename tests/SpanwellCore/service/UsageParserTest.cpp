#include "service/UsageParser.h"

#include <QTest>

using Readings = std::optional<QList<LimitReading>>;

namespace {

// 2025-03-01T10:00:00Z
const Instant march1 = Instant::fromUnixSeconds(1740823200);

LimitReading reading(const QString& title, double percent,
                     std::optional<Instant> resetsAt = std::nullopt) {
    return LimitReading{title, percent, resetsAt};
}

} // namespace

class UsageParserTest : public QObject {
    Q_OBJECT

private slots:
    void limitsAreRead() {
        QByteArray many = R"({"limits":[)";
        QList<LimitReading> firstDistinct;
        for (int index = 0; index < 20000; ++index) {
            // Each title twice in a row.
            const QString kind = QStringLiteral("k%1").arg(index / 2);
            many += (index ? "," : "") +
                    QStringLiteral(R"({"kind":"%1","percent":%2})").arg(kind).arg(index).toLatin1();
            if (index % 2 == 0 && firstDistinct.size() < UsageParser::mostReadings)
                firstDistinct.append(reading(kind.toUpper(), index));
        }
        const std::pair<QByteArray, Readings> rows[] = {
            {R"([{"kind":"session","percent":1}])", std::nullopt},
            {"<html>Bad gateway</html>", std::nullopt},
            {R"({"limits":[{"kind":"session","percent":12,"resets_at":"2025-03-01T10:00:00Z"},
                {"kind":"weekly_all","percent":40}]})",
             Readings({reading("Session", 12, march1), reading("Week", 40)})},
            // Scoped by model, then unscoped, then a repeat of the first.
            {R"({"limits":[
                {"kind":"weekly_scoped","percent":7,"scope":{"model":{"display_name":"Opus"}}},
                {"kind":"weekly_scoped","percent":8},
                {"kind":"weekly_scoped","percent":9,"scope":{"model":{"display_name":"Opus"}}}]})",
             Readings({reading("Week, Opus", 7), reading("Week, scoped", 8)})},
            {R"({"limits":[{"kind":"weekly_scoped","percent":1,"scope":"opus"},
                {"kind":"weekly_scoped","percent":2,"scope":{"model":["Opus"]}},
                {"kind":"weekly_scoped","percent":3,"scope":{"model":{"display_name":4}}}]})",
             Readings({reading("Week, scoped", 1)})},
            // Other kinds are capitalised word by word.
            {R"({"limits":[{"kind":"extra_usage","percent":5},
                {"kind":"MONTHLY_eXtra__credits","percent":6},{"kind":"Session","percent":7}]})",
             Readings({reading("Extra Usage", 5), reading("Monthly Extra  Credits", 6),
                       reading("Session", 7)})},
            // A missing or non-text kind gives the empty title, once.
            {R"({"limits":[{"percent":5},{"kind":3,"percent":6}]})", Readings({reading("", 5)})},
            // The percentage must be a number; flags count as 1 and 0.
            {R"({"limits":[{"kind":"session"},{"kind":"session","percent":"12"},
                {"kind":"session","percent":null},{"kind":"weekly_all","percent":true},
                {"kind":"extra","percent":false},{"kind":"session","percent":140.5}]})",
             Readings({reading("Week", 1), reading("Extra", 0), reading("Session", 140.5)})},
            // Unreadable resets are left out.
            {R"({"limits":[{"kind":"session","percent":1,"resets_at":"2025-03-01"},
                {"kind":"weekly_all","percent":2,"resets_at":1740823200},
                {"kind":"a","percent":3,"resets_at":"2025-03-01T10:00:00.123456Z"}]})",
             Readings(
                 {reading("Session", 1), reading("Week", 2), reading("A", 3, march1 + 0.123456)})},
            {many + "]}", firstDistinct},
            // A list without readable entries does not fall back on the fixed keys.
            {R"({"limits":[{"kind":"session"}],"five_hour":{"utilization":3}})",
             Readings(QList<LimitReading>())},
            // Without a usable list, the fixed keys are read, in a fixed order.
            {R"({"seven_day_sonnet":{"utilization":4},"seven_day_opus":null,
                "seven_day":{"utilization":2},"extra":{"utilization":9},"five_hour":{"utilization":1,
                "resets_at":"2025-03-01T10:00:00.000000+00:00"}})",
             Readings(
                 {reading("Session", 1, march1), reading("Week", 2), reading("Week, Sonnet", 4)})},
            {R"({"five_hour":{"utilization":"30"},"seven_day":{"resets_at":null},
                "seven_day_opus":[{"utilization":1}],"seven_day_sonnet":{"utilization":false}})",
             Readings({reading("Week, Sonnet", 0)})},
            {R"({"limits":[],"five_hour":{"utilization":10}})", Readings({reading("Session", 10)})},
            {R"({"limits":[{"kind":"session","percent":50},3],"five_hour":{"utilization":10}})",
             Readings({reading("Session", 10)})},
            {R"({"limits":{"kind":"session","percent":50},"seven_day":{"utilization":-2}})",
             Readings({reading("Week", -2)})}};
        for (const auto& [reply, readings] : rows)
            QVERIFY2(UsageParser::limits(reply) == readings, reply.left(160).constData());
    }

    void subscription() {
        using Expected = std::optional<Subscription>;
        const std::pair<QByteArray, Expected> rows[] = {
            {"[{}]", std::nullopt},
            {R"({"organization":"Acme"})", std::nullopt},
            {R"({"account":{},"organization":{"name":"Acme","subscription_status":"active",
                "subscription_created_at":"2025-03-01T12:00:00+02:00"}})",
             Subscription{QStringLiteral("active"), march1}},
            {R"({"organization":{"subscription_status":"past_due",
                "subscription_created_at":"yesterday"}})",
             Subscription{QStringLiteral("past_due"), std::nullopt}},
            {R"({"organization":{"subscription_status":true,
                "subscription_created_at":1740823200}})",
             Subscription{}}};
        for (const auto& [reply, subscription] : rows)
            QVERIFY2(UsageParser::subscription(reply) == subscription, reply.constData());
    }
};

QTEST_GUILESS_MAIN(UsageParserTest)
#include "UsageParserTest.moc"
