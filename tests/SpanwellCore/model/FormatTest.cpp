#include "model/Format.h"
#include "model/ISODate.h"
#include "support/TestRegistry.h"

#include <QTest>

class FormatTest : public QObject {
    Q_OBJECT

private slots:
    void percentRoundsHalfAwayFromZero_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("half up") << 42.5 << "43%";
        QTest::newRow("below half") << 42.4 << "42%";
        QTest::newRow("over a hundred") << 104.6 << "105%";
        QTest::newRow("small half") << 0.5 << "1%";
        QTest::newRow("to a hundred") << 99.5 << "100%";
        QTest::newRow("negative to zero") << -0.4 << "0%";
        QTest::newRow("negative half") << -2.5 << "-3%";
        QTest::newRow("average") << (42.0 + 100.0 + 64.0) / 3.0 << "69%";
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
        QTest::newRow("under a week") << 604799.0 << "6d 23h";
        QTest::newRow("many days") << 100.0 * 86400 << "100d 0h";
    }
    void countdownIsCompact() {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        const Instant now(800000000.5);
        QCOMPARE(Format::countdown(now + seconds, now), text);
    }

    void isoDatesAreRead_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("unixSeconds");
        const double march1 = 1740823200; // 2025-03-01T10:00:00Z
        QTest::newRow("zulu") << "2025-03-01T10:00:00Z" << march1;
        QTest::newRow("milliseconds") << "2025-03-01T10:00:00.123Z" << march1 + 0.123;
        QTest::newRow("offset") << "2025-03-01T10:00:00+02:00" << march1 - 7200;
        QTest::newRow("negative offset") << "2025-03-01T10:00:00-05:30" << march1 + 19800;
        QTest::newRow("microseconds") << "2025-03-01T10:00:00.123456Z" << march1 + 0.123456;
        QTest::newRow("nanoseconds with offset")
            << "2025-03-01T10:00:00.999999999+00:00" << march1 + 0.999999999;
        QTest::newRow("leap day") << "2024-02-29T00:00:00Z" << 1709164800.0;
        QTest::newRow("before the reference date") << "1970-01-01T00:00:00Z" << 0.0;
        QTest::newRow("stray fraction") << "2025-03-01T10:00:00Z.5" << march1;
    }
    void isoDatesAreRead() {
        QFETCH(QString, text);
        QFETCH(double, unixSeconds);
        const std::optional<Instant> instant = ISODate::parse(text);
        QVERIFY(instant);
        QVERIFY(qAbs(instant->unixSeconds() - unixSeconds) < 1e-6);
    }

    void otherTextsAreNotDates_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("date alone") << "2025-03-01";
        QTest::newRow("words") << "next tuesday";
        QTest::newRow("empty") << "";
        QTest::newRow("no zone") << "2025-03-01T10:00:00";
        QTest::newRow("space for T") << "2025-03-01 10:00:00Z";
        QTest::newRow("surrounding space") << " 2025-03-01T10:00:00Z";
        QTest::newRow("no such day") << "2025-02-30T10:00:00Z";
        QTest::newRow("no such hour") << "2025-03-01T24:00:00Z";
        QTest::newRow("offset without colon") << "2025-03-01T10:00:00+0200";
    }
    void otherTextsAreNotDates() {
        QFETCH(QString, text);
        QVERIFY(!ISODate::parse(text));
    }
};

SPANWELL_TEST(FormatTest)
#include "FormatTest.moc"
