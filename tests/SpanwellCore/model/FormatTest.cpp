#include "model/Format.h"
#include "model/DecimalInteger.h"
#include "model/ISODate.h"

#include <QTest>

#include <cmath>

// Each table's rows differ only in data; a failure shows the text that was wrong.
class FormatTest : public QObject {
    Q_OBJECT

private slots:
    void percentRoundsHalfAwayFromZero() {
        const std::pair<double, const char*> rows[] = {
            {42.5, "43%"},   {42.4, "42%"},    {-0.4, "0%"},      {-2.5, "-3%"},
            {999.4, "999%"}, {999.5, "999+%"}, {-1e18, "-999+%"}, {std::nan(""), "—"}};
        for (const auto& [value, text] : rows)
            QCOMPARE(Format::percent(value), QString::fromUtf8(text));
    }

    void countdownIsCompact() {
        const std::pair<double, const char*> rows[] = {
            {59.9, "now"},        {60, "1m"},         {3599, "59m"},    {3600, "1h 0m"},
            {3659.99, "1h 0m"},   {86399, "23h 59m"}, {86400, "1d 0h"}, {8726399, "100d 23h"},
            {std::nan(""), "now"}};
        const Instant now(800000000.5);
        for (const auto& [seconds, text] : rows)
            QCOMPARE(Format::countdown(now + seconds, now), QString(text));
    }

    // Seconds since 1970; absent where nothing may be read.
    void isoDatesAreRead() {
        const double march1 = 1740823200; // 2025-03-01T10:00:00Z
        const std::pair<const char*, std::optional<double>> rows[] = {
            {"2025-03-01T10:00:00Z", march1},
            {"2025-03-01T10:00:00.123Z", march1 + 0.123},
            {"2025-03-01T10:00:00-05:30", march1 + 19800},
            {"2025-03-01T10:00:00.999999999+00:00", march1 + 0.999999999},
            {"1970-01-01T00:00:00Z", 0},
            {"2025-03-01T10:00:00Z.5", march1},
            {"2025-03-01", {}},
            {"2025-03-01T10:00:00", {}},
            {"2025-03-01 10:00:00Z", {}},
            {" 2025-03-01T10:00:00Z", {}},
            {"2025-03-01T10:00:00Z\n", {}},
            {"2025-02-30T10:00:00Z", {}},
            {"9999-12-31T23:59:59-01:00", {}},
            {"2025-03-01T10:00:00+0200", {}}};
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
