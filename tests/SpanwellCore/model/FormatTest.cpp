#include "model/Format.h"
#include "model/DecimalInteger.h"
#include "model/ISODate.h"

#include <QTest>

using Number = std::optional<qint64>;
Q_DECLARE_METATYPE(Number)

class FormatTest : public QObject {
    Q_OBJECT

private slots:
    void percentRoundsHalfAwayFromZero_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("half up") << 42.5 << "43%";
        QTest::newRow("below half") << 42.4 << "42%";
        QTest::newRow("over a hundred") << 104.6 << "105%";
        QTest::newRow("negative to zero") << -0.4 << "0%";
        QTest::newRow("negative half") << -2.5 << "-3%";
        QTest::newRow("largest written") << 999.4 << "999%";
        QTest::newRow("beyond") << 999.5 << "999+%";
        QTest::newRow("far beyond, below zero") << -1e18 << "-999+%";
    }
    void percentRoundsHalfAwayFromZero() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Format::percent(value), text);
    }

    void countdownIsCompact_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("just under a minute") << 59.9 << "now";
        QTest::newRow("past") << -3600.0 << "now";
        QTest::newRow("a minute") << 60.0 << "1m";
        QTest::newRow("under an hour") << 3599.0 << "59m";
        QTest::newRow("an hour") << 3600.0 << "1h 0m";
        QTest::newRow("fraction dropped") << 3659.99 << "1h 0m";
        QTest::newRow("under a day") << 86399.0 << "23h 59m";
        QTest::newRow("a day") << 86400.0 << "1d 0h";
        QTest::newRow("many days") << 100.0 * 86400 + 82800 << "100d 23h";
    }
    void countdownIsCompact() {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        const Instant now(800000000.5);
        QCOMPARE(Format::countdown(now + seconds, now), text);
    }

    // Anything that does not parse is absent.
    void isoDatesAreRead_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<double>>("unixSeconds");
        const double march1 = 1740823200; // 2025-03-01T10:00:00Z
        QTest::newRow("zulu") << "2025-03-01T10:00:00Z" << std::optional(march1);
        QTest::newRow("milliseconds")
            << "2025-03-01T10:00:00.123Z" << std::optional(march1 + 0.123);
        QTest::newRow("offset") << "2025-03-01T10:00:00+02:00" << std::optional(march1 - 7200);
        QTest::newRow("negative offset")
            << "2025-03-01T10:00:00-05:30" << std::optional(march1 + 19800);
        QTest::newRow("nanoseconds with offset")
            << "2025-03-01T10:00:00.999999999+00:00" << std::optional(march1 + 0.999999999);
        QTest::newRow("before the reference date") << "1970-01-01T00:00:00Z" << std::optional(0.0);
        QTest::newRow("stray fraction") << "2025-03-01T10:00:00Z.5" << std::optional(march1);
        const std::optional<double> none;
        QTest::newRow("date alone") << "2025-03-01" << none;
        QTest::newRow("no zone") << "2025-03-01T10:00:00" << none;
        QTest::newRow("space for T") << "2025-03-01 10:00:00Z" << none;
        QTest::newRow("surrounding space") << " 2025-03-01T10:00:00Z" << none;
        QTest::newRow("final line feed") << "2025-03-01T10:00:00Z\n" << none;
        QTest::newRow("no such day") << "2025-02-30T10:00:00Z" << none;
        QTest::newRow("no such hour") << "2025-03-01T24:00:00Z" << none;
        QTest::newRow("offset beyond the year 9999") << "9999-12-31T23:59:59-01:00" << none;
        QTest::newRow("offset without colon") << "2025-03-01T10:00:00+0200" << none;
    }
    void isoDatesAreRead() {
        QFETCH(QString, text);
        QFETCH(std::optional<double>, unixSeconds);
        const std::optional<Instant> instant = ISODate::parse(text);
        QCOMPARE(instant.has_value(), unixSeconds.has_value());
        if (instant)
            QVERIFY(qAbs(instant->unixSeconds() - *unixSeconds) < 1e-6);
    }

    void onlyPlainDecimalsAreRead_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Number>("number");
        QTest::newRow("plus") << "+1" << Number(1);
        QTest::newRow("minus") << "-1" << Number(-1);
        QTest::newRow("leading zeros") << "007" << Number(7);
        QTest::newRow("largest") << "9223372036854775807" << Number(9223372036854775807);
        QTest::newRow("too large") << "9223372036854775808" << Number();
        QTest::newRow("fraction") << "1.2" << Number();
        QTest::newRow("sign alone") << "-" << Number();
        QTest::newRow("other digits") << "١٢" << Number();
    }
    void onlyPlainDecimalsAreRead() {
        QFETCH(QString, text);
        QFETCH(Number, number);
        QCOMPARE(DecimalInteger::parse(text), number);
    }
};

QTEST_GUILESS_MAIN(FormatTest)
#include "FormatTest.moc"
