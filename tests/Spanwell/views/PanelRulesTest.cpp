#include "views/AccountRow.h"
#include "views/DetailRow.h"
#include "views/PanelText.h"

#include <QTest>

namespace {

const Calendar berlin{QTimeZone("Europe/Berlin")};
const QLocale english(QLocale::English, QLocale::UnitedStates);
// Tuesday, 4 March 2025, 15:00 in Berlin.
const Instant now =
    Instant::fromDateTime(QDateTime(QDate(2025, 3, 4), QTime(15, 0), QTimeZone("Europe/Berlin")));
const QString folder = QStringLiteral("/srv/accounts/.claude-work");

Entry entry(std::optional<QString> plan, std::optional<Subscription> subscription,
            std::optional<Instant> loginExpiresAt = std::nullopt) {
    return Entry{Account{folder, {}, QStringLiteral("work@example.com"), {}, {}},
                 Snapshot{{}, std::move(plan), std::move(subscription), loginExpiresAt, now},
                 std::nullopt};
}

Subscription subscription(std::optional<QString> status,
                          std::optional<Instant> createdAt = std::nullopt) {
    return Subscription{std::move(status), createdAt};
}

} // namespace

class PanelRulesTest : public QObject {
    Q_OBJECT

private slots:
    void statusTextAfterTheClockWentBack() {
        QCOMPARE(PanelText::statusText(false, now + 300, now), QStringLiteral("Updated just now"));
    }

    void detailLineListsWhatIsKnown_data() {
        QTest::addColumn<Entry>("account");
        QTest::addColumn<QString>("line");
        const QString dot = QStringLiteral("  \u00B7  ");
        QTest::newRow("empty plan") << entry(QString(), std::nullopt) << folder;
        QTest::newRow("plan, status with underscores")
            << entry(QStringLiteral("Max"), subscription(QStringLiteral("past_due")))
            << QStringLiteral("Max") + dot + folder + dot + QStringLiteral("subscription past due");
        QTest::newRow("active with a start: renewal date")
            << entry(std::nullopt, subscription(QStringLiteral("active"), now - 20 * 86400))
            << folder + dot + QStringLiteral("renews around Mar 12");
        QTest::newRow("active without a start")
            << entry(std::nullopt, subscription(QStringLiteral("active")))
            << folder + dot + QStringLiteral("subscription active");
        QTest::newRow("sign-in ends a second sooner")
            << entry(std::nullopt, std::nullopt, now + 604799)
            << folder + dot + QStringLiteral("sign in again by Mar 11");
        QTest::newRow("sign-in ended") << entry(std::nullopt, std::nullopt, now) << folder;
    }
    void detailLineListsWhatIsKnown() {
        QFETCH(Entry, account);
        QFETCH(QString, line);
        QCOMPARE(AccountRow::detailLine(account, now, berlin, english), line);
    }

    void resetTextNamesTheDayWhenNotToday_data() {
        QTest::addColumn<std::optional<double>>("resetIn");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("not started")
            << std::optional<double>() << english << "Not started, nothing to reset";
        QTest::newRow("today") << std::optional(7500.0) << english << "Resets in 2h 5m, 5:05 PM";
        QTest::newRow("after midnight")
            << std::optional(34200.0) << english << "Resets in 9h 30m, Wed 12:30 AM";
        // Its short time form has seconds, which a reset line leaves out.
        QTest::newRow("C locale") << std::optional(7500.0) << QLocale::c()
                                  << "Resets in 2h 5m, 17:05";
    }
    void resetTextNamesTheDayWhenNotToday() {
        QFETCH(std::optional<double>, resetIn);
        QFETCH(QLocale, locale);
        QFETCH(QString, text);
        const LimitReading limit{QStringLiteral("Session"), 40,
                                 resetIn ? std::optional(now + *resetIn) : std::nullopt};
        QCOMPARE(DetailRow::resetText(limit, now, berlin, locale), text);
    }
};

QTEST_MAIN(PanelRulesTest)
#include "PanelRulesTest.moc"
