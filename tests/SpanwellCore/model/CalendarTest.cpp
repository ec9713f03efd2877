#include "model/Calendar.h"
#include "model/Subscription.h"

#include <QTest>

#include <cmath>

namespace {

Instant at(const Calendar& calendar, int year, int month, int day, int hour = 9, int minute = 30) {
    return Instant::fromDateTime(
        QDateTime(QDate(year, month, day), QTime(hour, minute), calendar.timeZone()));
}

QString shown(const Calendar& calendar, std::optional<Instant> instant) {
    if (!instant)
        return QStringLiteral("absent");
    return calendar.dateTime(*instant).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace

class CalendarTest : public QObject {
    Q_OBJECT

private slots:
    void renewalFallsOnTheNextAnniversary_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDate>("created");
        QTest::addColumn<QDate>("asked");
        QTest::addColumn<QString>("renewal");
        const QByteArray utc = "UTC", berlin = "Europe/Berlin";
        QTest::newRow("31st clamps to February")
            << utc << QDate(2025, 1, 31) << QDate(2025, 2, 10) << "2025-02-28 09:30";
        QTest::newRow("31st comes back in March")
            << utc << QDate(2025, 1, 31) << QDate(2025, 3, 1) << "2025-03-31 09:30";
        QTest::newRow("years later")
            << utc << QDate(2020, 5, 15) << QDate(2025, 11, 20) << "2025-12-15 09:30";
        QTest::newRow("created later than asked")
            << utc << QDate(2026, 1, 5) << QDate(2025, 12, 1) << "2026-01-05 09:30";
        QTest::newRow("same wall-clock time across summer time")
            << berlin << QDate(2025, 2, 20) << QDate(2025, 4, 1) << "2025-04-20 09:30";
    }
    void renewalFallsOnTheNextAnniversary() {
        QFETCH(QByteArray, zone);
        QFETCH(QDate, created);
        QFETCH(QDate, asked);
        QFETCH(QString, renewal);
        const Calendar calendar{QTimeZone(zone)};
        const Subscription subscription{
            QStringLiteral("active"), at(calendar, created.year(), created.month(), created.day())};
        const Instant date = at(calendar, asked.year(), asked.month(), asked.day(), 12, 0);
        QCOMPARE(shown(calendar, subscription.estimatedRenewal(date, calendar)), renewal);
    }

    void anAnniversaryItselfGivesTheNextOne() {
        const Calendar calendar{QTimeZone("UTC")};
        const Instant created = at(calendar, 2025, 3, 5) + 0.25;
        const Subscription subscription{std::nullopt, created};
        const Instant anniversary = *calendar.addingMonths(created, 2);
        QCOMPARE(shown(calendar, subscription.estimatedRenewal(anniversary, calendar)),
                 QStringLiteral("2025-06-05 09:30"));
        QCOMPARE(*subscription.estimatedRenewal(anniversary - 0.001, calendar), anniversary);
        QCOMPARE(calendar.addingMonths(created, 1)->secondsSinceReferenceDate() -
                     created.secondsSinceReferenceDate(),
                 31.0 * 86400);
    }

    void noCreationDateOrTooFarGivesNothing() {
        const Calendar calendar{QTimeZone("UTC")};
        const Subscription undated{QStringLiteral("active"), std::nullopt};
        QVERIFY(!undated.estimatedRenewal(Instant(0), calendar));
        const Subscription old{std::nullopt, at(calendar, 1800, 1, 1)};
        QVERIFY(!old.estimatedRenewal(at(calendar, 2001, 1, 1), calendar));
        QCOMPARE(shown(calendar, old.estimatedRenewal(at(calendar, 1999, 11, 20), calendar)),
                 QStringLiteral("1999-12-01 09:30"));
        // Instants no calendar holds, from either side, give nothing and give it at once.
        for (const double seconds : {-9.2e15, 8e19, std::nan("")}) {
            const Subscription unheard{std::nullopt, Instant(seconds)};
            QVERIFY(!unheard.estimatedRenewal(Instant(0), calendar));
            QVERIFY(!calendar.addingMonths(Instant(seconds), 1));
        }
    }

    void sameDayDependsOnTheZone() {
        const Instant lateEvening =
            Instant::fromDateTime(QDateTime(QDate(2025, 3, 1), QTime(23, 30), QTimeZone("UTC")));
        const Instant nextMorning = lateEvening + 2 * 3600;
        QVERIFY(!Calendar(QTimeZone("UTC")).isSameDay(lateEvening, nextMorning));
        QVERIFY(Calendar(QTimeZone("America/New_York")).isSameDay(lateEvening, nextMorning));
    }
};

QTEST_GUILESS_MAIN(CalendarTest)
#include "CalendarTest.moc"
