#include "store/Demo.h"

#include <QTest>

class DemoTest : public QObject {
    Q_OBJECT

private slots:
    void useGrowsInWakingHoursOnly_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("now");
        const auto at = [](const char* utc) {
            return QDateTime::fromString(QString::fromLatin1(utc), Qt::ISODate);
        };
        QTest::newRow("no daylight saving") << QByteArray("UTC") << at("2026-03-31T12:00:00Z");
        QTest::newRow("clocks forward in the week")
            << QByteArray("Europe/Berlin") << at("2026-03-31T12:00:00Z");
        QTest::newRow("clocks back in the week")
            << QByteArray("America/New_York") << at("2026-11-04T15:30:00Z");
        QTest::newRow("half an hour forward")
            << QByteArray("Australia/Lord_Howe") << at("2026-10-07T01:00:00Z");
        QTest::newRow("a quarter-hour offset")
            << QByteArray("Asia/Kathmandu") << at("2026-06-10T08:00:00Z");
    }

    // At night on the calendar's own clock (23:00 to 8:00), through any change of its offset,
    // no made-up session grows, and by day they do.
    void useGrowsInWakingHoursOnly() {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, now);
        const QTimeZone timeZone(zone);
        QVERIFY(timeZone.isValid());
        const Calendar calendar(timeZone);
        const auto store = Demo::store(
            Demo::accounts(Instant::fromDateTime(now), QStringLiteral("/home/demo"), calendar));
        int grewAwake = 0;
        for (const LimitHistory& limit : store->recentUse()) {
            if (limit.title != QLatin1String("Session"))
                continue;
            for (qsizetype index = 1; index < limit.points.size(); ++index) {
                const UsePoint& before = limit.points.at(index - 1);
                const UsePoint& after = limit.points.at(index);
                if (after.percent <= before.percent)
                    continue;
                // A reading counts the five minutes up to it.
                const QDateTime read = calendar.dateTime(after.readAt);
                QVERIFY2(read.time().hour() >= 8 && read.time().hour() < 23,
                         qPrintable(read.toString(Qt::ISODate)));
                ++grewAwake;
            }
        }
        QVERIFY(grewAwake > 100);
    }
};

QTEST_GUILESS_MAIN(DemoTest)
#include "DemoTest.moc"
