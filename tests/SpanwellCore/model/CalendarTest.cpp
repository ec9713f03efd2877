#include "model/Calendar.h"
#include "model/Subscription.h"

#include <QTest>

#include <cmath>

namespace {

const Calendar utc{QTimeZone("UTC")};

Instant at(const Calendar& calendar, QDate date, QTime time = QTime(9, 30)) {
    return Instant::fromDateTime(QDateTime(date, time, calendar.timeZone()));
}

QString shown(const Calendar& calendar, std::optional<Instant> instant) {
    return instant ? calendar.dateTime(*instant).toString(QStringLiteral("yyyy-MM-dd HH:mm"))
                   : QStringLiteral("absent");
}

} // namespace

class CalendarTest : public QObject {
    Q_OBJECT

private slots:
    // Created at 09:30 on the first date, asked at noon on the second.
    void renewalFallsOnTheNextAnniversary_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<QDate>("created");
        QTest::addColumn<QDate>("asked");
        QTest::addColumn<QString>("renewal");
        QTest::newRow("the month's last day")
            << "UTC" << QDate(2025, 1, 31) << QDate(2025, 2, 10) << "2025-02-28 09:30";
        QTest::newRow("back to the 31st")
            << "UTC" << QDate(2025, 1, 31) << QDate(2025, 3, 1) << "2025-03-31 09:30";
        QTest::newRow("years later")
            << "UTC" << QDate(2020, 5, 15) << QDate(2025, 11, 20) << "2025-12-15 09:30";
        QTest::newRow("created after the question")
            << "UTC" << QDate(2026, 1, 5) << QDate(2025, 12, 1) << "2026-01-05 09:30";
        // The same wall-clock time across the change to summer time.
        QTest::newRow("across summer time")
            << "Europe/Berlin" << QDate(2025, 2, 20) << QDate(2025, 4, 1) << "2025-04-20 09:30";
    }
    void renewalFallsOnTheNextAnniversary() {
        QFETCH(QString, zone);
        QFETCH(QDate, created);
        QFETCH(QDate, asked);
        QFETCH(QString, renewal);
        const Calendar calendar{QTimeZone(zone.toLatin1())};
        const Subscription subscription{QStringLiteral("active"), at(calendar, created)};
        const Instant date = at(calendar, asked, QTime(12, 0));
        QCOMPARE(shown(calendar, subscription.estimatedRenewal(date, calendar)), renewal);
    }

    void anAnniversaryItselfGivesTheNextOne() {
        const Instant created = at(utc, QDate(2025, 3, 5)) + 0.25;
        const Subscription subscription{std::nullopt, created};
        const Instant anniversary = *utc.addingMonths(created, 2);
        QCOMPARE(shown(utc, subscription.estimatedRenewal(anniversary, utc)), "2025-06-05 09:30");
        // The fraction of a second below what QDateTime holds survives.
        QCOMPARE(*subscription.estimatedRenewal(anniversary - 0.001, utc), anniversary);
    }

    void noCreationDateGivesNothing() {
        const Subscription undated{QStringLiteral("active"), std::nullopt};
        QVERIFY(!undated.estimatedRenewal(Instant(0), utc));
    }

    // Instants no calendar holds, from either side, give nothing and give it at once.
    void instantsBeyondTheCalendarGiveNothing_data() {
        QTest::addColumn<double>("seconds");
        QTest::newRow("before the year 1") << -9.2e15;
        QTest::newRow("after the year 9999") << 8e19;
        QTest::newRow("not a number") << std::nan("");
    }
    void instantsBeyondTheCalendarGiveNothing() {
        QFETCH(double, seconds);
        const Subscription unheard{std::nullopt, Instant(seconds)};
        QVERIFY(!unheard.estimatedRenewal(Instant(0), utc));
        QVERIFY(!utc.addingMonths(Instant(seconds), 1));
    }
};

QTEST_GUILESS_MAIN(CalendarTest)
#include "CalendarTest.moc"
