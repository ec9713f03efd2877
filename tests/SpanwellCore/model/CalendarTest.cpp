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
    void renewalFallsOnTheNextAnniversary() {
        const std::tuple<const char*, QDate, QDate, const char*> rows[] = {
            {"UTC", QDate(2025, 1, 31), QDate(2025, 2, 10), "2025-02-28 09:30"},
            {"UTC", QDate(2025, 1, 31), QDate(2025, 3, 1), "2025-03-31 09:30"},
            {"UTC", QDate(2020, 5, 15), QDate(2025, 11, 20), "2025-12-15 09:30"},
            {"UTC", QDate(2026, 1, 5), QDate(2025, 12, 1), "2026-01-05 09:30"},
            // The same wall-clock time across the change to summer time.
            {"Europe/Berlin", QDate(2025, 2, 20), QDate(2025, 4, 1), "2025-04-20 09:30"}};
        for (const auto& [zone, created, asked, renewal] : rows) {
            const Calendar calendar{QTimeZone(zone)};
            const Subscription subscription{QStringLiteral("active"), at(calendar, created)};
            const Instant date = at(calendar, asked, QTime(12, 0));
            QCOMPARE(shown(calendar, subscription.estimatedRenewal(date, calendar)),
                     QString(renewal));
        }
    }

    void anAnniversaryItselfGivesTheNextOne() {
        const Instant created = at(utc, QDate(2025, 3, 5)) + 0.25;
        const Subscription subscription{std::nullopt, created};
        const Instant anniversary = *utc.addingMonths(created, 2);
        QCOMPARE(shown(utc, subscription.estimatedRenewal(anniversary, utc)), "2025-06-05 09:30");
        // The fraction of a second below what QDateTime holds survives.
        QCOMPARE(*subscription.estimatedRenewal(anniversary - 0.001, utc), anniversary);
        QCOMPARE(*utc.addingMonths(created, 1) - created, 31.0 * 86400);
    }

    void noCreationDateOrTooFarGivesNothing() {
        const Subscription undated{QStringLiteral("active"), std::nullopt};
        QVERIFY(!undated.estimatedRenewal(Instant(0), utc));
        const Subscription old{std::nullopt, at(utc, QDate(1800, 1, 1))};
        QVERIFY(!old.estimatedRenewal(at(utc, QDate(2001, 1, 1)), utc));
        QCOMPARE(shown(utc, old.estimatedRenewal(at(utc, QDate(1999, 11, 20)), utc)),
                 "1999-12-01 09:30");
        // Instants no calendar holds, from either side, give nothing and give it at once.
        for (const double seconds : {-9.2e15, 8e19, std::nan("")}) {
            const Subscription unheard{std::nullopt, Instant(seconds)};
            QVERIFY(!unheard.estimatedRenewal(Instant(0), utc));
            QVERIFY(!utc.addingMonths(Instant(seconds), 1));
        }
    }

    void sameDayDependsOnTheZone() {
        const Instant lateEvening = at(utc, QDate(2025, 3, 1), QTime(23, 30));
        const Calendar newYork(QTimeZone("America/New_York"));
        QVERIFY(!utc.isSameDay(lateEvening, lateEvening + 2 * 3600));
        QVERIFY(newYork.isSameDay(lateEvening, lateEvening + 2 * 3600));
    }
};

QTEST_GUILESS_MAIN(CalendarTest)
#include "CalendarTest.moc"
