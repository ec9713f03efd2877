#include "model/Format.h"
#include "model/DecimalInteger.h"
#include "model/ISODate.h"
#include "model/PlanLabel.h"

#include <QTest>

#include <cmath>

using Text = std::optional<QString>;

namespace {

Text optionalText(const char* value) {
    return value ? Text(QString::fromUtf8(value)) : std::nullopt;
}

} // namespace

// The texts the panel shows and the ones it reads.
class FormatTest : public QObject {
    Q_OBJECT

private slots:
    // Subscription type, rate-limit tier, display name, and the label; null stands for absent.
    void planIsNamed_data() {
        QTest::addColumn<Text>("type");
        QTest::addColumn<Text>("tier");
        QTest::addColumn<Text>("displayName");
        QTest::addColumn<Text>("label");
        const auto row = [](const char* type, const char* tier, const char* displayName,
                            const char* label) {
            QTest::addRow("%s %s %s", type, tier, displayName)
                << optionalText(type) << optionalText(tier) << optionalText(displayName)
                << optionalText(label);
        };
        row("max", "default_claude_max_20x", nullptr, "Ultra");
        row("max", "default_claude_max_5x", nullptr, "Max");
        row(nullptr, "tier_20x", nullptr, "20x");
        row(nullptr, nullptr, nullptr, nullptr);
        row(nullptr, "tier_5x", "Team", "Team 5x");
        row(nullptr, "x_5x", "uLtRa", "Ultra");
        row("team", "tier_x", nullptr, "Team");
        row("team", "tier_5x_", nullptr, "Team 5x");
        row(nullptr, "___", nullptr, nullptr);
        row("pro", nullptr, "", "");
        row("maX team", nullptr, nullptr, "MaX team");
    }
    void planIsNamed() {
        QFETCH(Text, type);
        QFETCH(Text, tier);
        QFETCH(Text, displayName);
        QFETCH(Text, label);
        QCOMPARE(PlanLabel::make(type, tier, displayName), label);
    }

    void percentRoundsHalfAwayFromZero_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        const std::pair<double, const char*> rows[] = {
            {42.5, "43%"},   {42.4, "42%"},    {-0.4, "0%"},      {-2.5, "-3%"},
            {999.4, "999%"}, {999.5, "999+%"}, {-1e18, "-999+%"}, {std::nan(""), "—"}};
        for (const auto& [value, text] : rows)
            QTest::addRow("%g", value) << value << QString::fromUtf8(text);
    }
    void percentRoundsHalfAwayFromZero() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Format::percent(value), text);
    }

    // Whole minutes and hours left, never rounded up: a reset 90 seconds away is a minute off.
    void countdownIsCompact_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        const std::pair<double, const char*> rows[] = {
            {59.9, "now"},        {60, "1m"},         {90, "1m"},       {3599, "59m"},
            {3600, "1h 0m"},      {3659.99, "1h 0m"}, {86400, "1d 0h"}, {8726399, "100d 23h"},
            {std::nan(""), "now"}};
        for (const auto& [seconds, text] : rows)
            QTest::addRow("%g s", seconds) << seconds << QString::fromUtf8(text);
    }
    void countdownIsCompact() {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        const Instant now(800000000.5);
        QCOMPARE(Format::countdown(now + seconds, now), text);
    }

    // Seconds since 1970; absent where nothing may be read. That nothing may follow the zone, and
    // that no offset carries a date beyond the calendar, the fuzz target asserts.
    void isoDatesAreRead_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("unixSeconds");
        const double march1 = 1740823200; // 2025-03-01T10:00:00Z
        const std::pair<const char*, std::optional<double>> rows[] = {
            {"2025-03-01T10:00:00Z", march1},
            {"2025-03-01T10:00:00.123Z", march1 + 0.123},
            {"2025-03-01T10:00:00-05:30", march1 + 19800},
            {"2025-03-01T10:00:00.999999999+00:00", march1 + 0.999999999},
            {"2025-03-01T10:00:00Z.5", march1},
            {"2025-03-01", {}},
            {"2025-03-01T10:00:00", {}},
            {"2025-02-30T10:00:00Z", {}}};
        for (const auto& [text, unixSeconds] : rows)
            QTest::addRow("%s", text) << QString::fromUtf8(text) << unixSeconds;
    }
    void isoDatesAreRead() {
        QFETCH(QString, text);
        QFETCH(std::optional<double>, unixSeconds);
        const std::optional<Instant> instant = ISODate::parse(text);
        QCOMPARE(instant.has_value(), unixSeconds.has_value());
        QVERIFY(!instant || qAbs(instant->unixSeconds() - *unixSeconds) < 1e-6);
    }

    void onlyPlainDecimalsAreRead_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<qint64>>("number");
        const std::pair<const char*, std::optional<qint64>> rows[] = {
            {"+1", 1},
            {"007", 7},
            {"9223372036854775807", INT64_MAX},
            {"9223372036854775808", {}},
            {"1.2", {}},
            {"-", {}},
            {"١٢", {}}};
        for (const auto& [text, number] : rows)
            QTest::addRow("%s", text) << QString::fromUtf8(text) << number;
    }
    void onlyPlainDecimalsAreRead() {
        QFETCH(QString, text);
        QFETCH(std::optional<qint64>, number);
        QCOMPARE(DecimalInteger::parse(text), number);
    }
};

QTEST_GUILESS_MAIN(FormatTest)
#include "FormatTest.moc"
