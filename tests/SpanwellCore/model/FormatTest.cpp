#include "model/Format.h"
#include "model/DecimalInteger.h"
#include "model/ISODate.h"
#include "model/PlanLabel.h"

#include <QTest>

#include <array>
#include <cmath>

namespace {

std::optional<QString> optionalText(const char* value) {
    return value ? std::optional(QString::fromUtf8(value)) : std::nullopt;
}

} // namespace

// The texts the panel shows and the ones it reads. Each table's rows differ only in data; a
// failure shows the text that was wrong.
class FormatTest : public QObject {
    Q_OBJECT

private slots:
    // Subscription type, rate-limit tier, display name, and the label; null stands for absent.
    void planIsNamed() {
        const std::array<const char*, 4> rows[] = {
            {"max", "default_claude_max_20x", nullptr, "Ultra"},
            {"max", "default_claude_max_5x", nullptr, "Max"},
            {"pro", nullptr, nullptr, "Pro"},
            {nullptr, "tier_20x", nullptr, "20x"},
            {nullptr, nullptr, nullptr, nullptr},
            {nullptr, "tier_5x", "Team", "Team 5x"},
            {"pro", nullptr, "Enterprise", "Enterprise"},
            {nullptr, "x_5x", "uLtRa", "Ultra"},
            {"team", "tier_x", nullptr, "Team"},
            {"team", "tier_5x_", nullptr, "Team 5x"},
            {nullptr, "___", nullptr, nullptr},
            {"pro", nullptr, "", ""},
            {"maX team", nullptr, nullptr, "MaX team"}};
        for (const auto& [type, tier, displayName, label] : rows)
            QCOMPARE(
                PlanLabel::make(optionalText(type), optionalText(tier), optionalText(displayName)),
                optionalText(label));
    }

    void percentRoundsHalfAwayFromZero() {
        const std::pair<double, const char*> rows[] = {
            {42.5, "43%"},   {42.4, "42%"},    {-0.4, "0%"},      {-2.5, "-3%"},
            {999.4, "999%"}, {999.5, "999+%"}, {-1e18, "-999+%"}, {std::nan(""), "—"}};
        for (const auto& [value, text] : rows)
            QCOMPARE(Format::percent(value), QString::fromUtf8(text));
    }

    void countdownIsCompact() {
        const std::pair<double, const char*> rows[] = {{59.9, "now"},        {60, "1m"},
                                                       {3600, "1h 0m"},      {3659.99, "1h 0m"},
                                                       {86400, "1d 0h"},     {8726399, "100d 23h"},
                                                       {std::nan(""), "now"}};
        const Instant now(800000000.5);
        for (const auto& [seconds, text] : rows)
            QCOMPARE(Format::countdown(now + seconds, now), QString(text));
    }

    // Seconds since 1970; absent where nothing may be read. That nothing may follow the zone, and
    // that no offset carries a date beyond the calendar, the fuzz target asserts.
    void isoDatesAreRead() {
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
        for (const auto& [text, unixSeconds] : rows) {
            const std::optional<Instant> instant = ISODate::parse(QString(text));
            QVERIFY2(instant.has_value() == unixSeconds.has_value(), text);
            QVERIFY2(!instant || qAbs(instant->unixSeconds() - *unixSeconds) < 1e-6, text);
        }
    }

    void onlyPlainDecimalsAreRead() {
        const std::pair<const char*, std::optional<qint64>> rows[] = {
            {"+1", 1},
            {"007", 7},
            {"9223372036854775807", INT64_MAX},
            {"9223372036854775808", {}},
            {"1.2", {}},
            {"-", {}},
            {"١٢", {}}};
        for (const auto& [text, number] : rows)
            QCOMPARE(DecimalInteger::parse(QString::fromUtf8(text)), number);
    }
};

QTEST_GUILESS_MAIN(FormatTest)
#include "FormatTest.moc"
