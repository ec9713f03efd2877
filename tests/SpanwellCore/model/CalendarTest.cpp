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
    }

    void noCreationDateOrTooFarGivesNothing() {
        const Subscription undated{QStringLiteral("active"), std::nullopt};
        QVERIFY(!undated.estimatedRenewal(Instant(0), utc));
        // Instants no calendar holds, from either side, give nothing and give it at once.
        for (const double seconds : {-9.2e15, 8e19, std::nan("")}) {
            const Subscription unheard{std::nullopt, Instant(seconds)};
            QVERIFY(!unheard.estimatedRenewal(Instant(0), utc));
            QVERIFY(!utc.addingMonths(Instant(seconds), 1));
        }
    }
};

QTEST_GUILESS_MAIN(CalendarTest)
#include "CalendarTest.moc"
