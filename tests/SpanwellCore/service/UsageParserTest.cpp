#include "service/UsageParser.h"
#include "model/AccountStatus.h"

#include <QFile>
#include <QTest>

using Readings = std::optional<QList<LimitReading>>;

namespace {

// 2025-03-01T10:00:00Z
const Instant march1 = Instant::fromUnixSeconds(1740823200);

LimitReading reading(const QString& title, double percent,
                     std::optional<Instant> resetsAt = std::nullopt) {
    return LimitReading{title, percent, resetsAt};
}

Money usd(double cents) {
    return Money{cents, QStringLiteral("USD"), 2};
}

// The seed of that name in the fuzz target's corpus.
QByteArray seed(const char* name) {
    QFile file(QFINDTESTDATA(QStringLiteral("fuzz/corpus/usage-reply/%1.json").arg(name)));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("No seed %s", name);
    return file.readAll();
}

// A row with what that seed reads as.
template <typename... Expected>
void seedRow(const char* name, const Expected&... expected) {
    ((QTest::newRow(name) << UsageParser::usage(seed(name)).value_or(UsageParser::Usage{}))
     << ... << expected);
}

template <typename Expected>
void columns() {
    QTest::addColumn<UsageParser::Usage>("usage");
    QTest::addColumn<Expected>("expected");
}

} // namespace

class UsageParserTest : public QObject {
    Q_OBJECT

private slots:
    // That the readings have distinct titles and stay few enough for the panel, however many
    // the reply lists, the fuzz target asserts.
    void limitsAreRead_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<Readings>("readings");
        QTest::newRow("not an object") << seed("not-an-object") << Readings();
        // A reset that is not a timestamp's text is left out.
        QTest::newRow("list") << seed("list-reset-forms")
                              << Readings({reading("Session", 12, march1), reading("Week", 40)});
        // Scoped by model, then unscoped, then a repeat of the first.
        QTest::newRow("scoped") << seed("scoped-repeated")
                                << Readings({reading("Week, Opus", 7), reading("Week, scoped", 8)});
        // Other kinds are capitalised word by word.
        QTest::newRow("other kinds")
            << QByteArray(R"({"limits":[{"kind":"MONTHLY_eXtra__credits","percent":6}]})")
            << Readings({reading("Monthly Extra  Credits", 6)});
        // A missing or non-text kind gives the empty title, once.
        QTest::newRow("no kind") << QByteArray(
                                        R"({"limits":[{"percent":5},{"kind":3,"percent":6}]})")
                                 << Readings({reading("", 5)});
        // The percentage must be a number; flags count as 1 and 0.
        QTest::newRow("percentages")
            << seed("percent-types")
            << Readings({reading("Week", 1), reading("Extra", 0), reading("Session", 140.5)});
        // A list without readable entries does not fall back on the fixed keys.
        QTest::newRow("nothing readable in the list")
            << QByteArray(R"({"limits":[{"kind":"session"}],"five_hour":{"utilization":3}})")
            << Readings(QList<LimitReading>());
        // Without a usable list, the fixed keys are read, in a fixed order.
        QTest::newRow("fixed keys") << seed("fixed-keys-order")
                                    << Readings({reading("Session", 1, march1), reading("Week", 2),
                                                 reading("Week, Sonnet", 4)});
        QTest::newRow("fixed keys of other types")
            << seed("fixed-keys-types") << Readings({reading("Week, Sonnet", 0)});
        QTest::newRow("empty list") << QByteArray(R"({"limits":[],"five_hour":{"utilization":10}})")
                                    << Readings({reading("Session", 10)});
        QTest::newRow("list with a number")
            << seed("list-with-a-number") << Readings({reading("Session", 10)});
        QTest::newRow("list that is not one")
            << seed("list-not-an-array") << Readings({reading("Week", -2)});
    }
    void limitsAreRead() {
        QFETCH(QByteArray, reply);
        QFETCH(Readings, readings);
        const std::optional<UsageParser::Usage> usage = UsageParser::usage(reply);
        QCOMPARE(usage ? std::optional(usage->limits) : std::nullopt, readings);
    }

    // A scoped limit is named by what its entry says of its scope. The same kind and scope
    // twice is one limit, the first; another limit whose title is taken is told apart, never
    // dropped, and "Session" and "Week" stay the whole account's.
    void scopedLimits_data() {
        columns<QList<LimitReading>>();
        seedRow("scoped-by-name-id-surface",
                QList{reading("Week, Opus", 7), reading("Week, scoped", 8),
                      reading("Week, quill-7", 1), reading("Week, Opus 4.1", 2),
                      reading("Week, Sonnet 3.5", 3),
                      reading("Week, cowork", 100, march1 + 2 * 86400)});
        seedRow("colliding-titles",
                QList{reading("Week (2)", 1), reading("Week, Opus", 2),
                      reading("Week, Opus (2)", 3), reading("Week, Opus (2) (2)", 4),
                      reading("Week", 4), reading("Session, cowork", 5), reading("Session", 6)});
    }
    void scopedLimits() {
        QFETCH(UsageParser::Usage, usage);
        QFETCH(QList<LimitReading>, expected);
        QCOMPARE(usage.limits, expected);
    }

    // Amounts in minor units, any of them null, beside plan windows or null ones; an entry of
    // the list shape reads the same.
    void extraUsage_data() {
        columns<std::optional<ExtraUsage>>();
        seedRow("extra-usage-enabled", std::optional(ExtraUsage{true, usd(1540), usd(2000), 77}));
        seedRow("extra-usage-disabled", std::optional(ExtraUsage{false, {}, Money{0, {}, 2}, {}}));
        seedRow("extra-usage-nulls", std::optional(ExtraUsage{}));
        // Too large an amount is none; a currency that is not a code is none.
        seedRow("extra-usage-decimal-places",
                std::optional(ExtraUsage{true, Money{12345, {}, 3}, {}, {}}));
        seedRow("extra-usage-list-entry",
                std::optional(ExtraUsage{true, Money{100, QStringLiteral("EUR"), 2}, {}, 10}));
    }
    void extraUsage() {
        QFETCH(UsageParser::Usage, usage);
        QFETCH(std::optional<ExtraUsage>, expected);
        QCOMPARE(usage.extraUsage, expected);
    }

    // A seat whose plan windows are null is judged by its spend: usable under its limit (the
    // cap where none is set), blocked at or above it.
    void spend_data() {
        columns<std::optional<Spend>>();
        QTest::addColumn<QString>("verdict");
        seedRow("spend-under", std::optional(Spend{usd(1802), usd(30000), {}, {}, 6}),
                QString("Ready"));
        seedRow("spend-at-limit", std::optional(Spend{usd(30000), {}, usd(30000), usd(0), {}}),
                QString("Spend limit reached"));
        seedRow("spend-over", std::optional(Spend{{}, {}, {}, {}, 104}),
                QString("Spend limit reached"));
        seedRow("spend-nulls", std::optional(Spend{}), QString("No data yet"));
    }
    void spend() {
        QFETCH(std::optional<Spend>, expected);
        QFETCH(QString, verdict);
        QFETCH(UsageParser::Usage, usage);
        QCOMPARE(usage.spend, expected);
        QCOMPARE(AccountStatus::make(usage.limits, march1, usage.spend).text, verdict);
    }

    void subscription_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<std::optional<Subscription>>("subscription");
        QTest::newRow("no organization object")
            << QByteArray(R"({"organization":"Acme"})") << std::optional<Subscription>();
        QTest::newRow("every field")
            << QByteArray(
                   R"({"account":{},"organization":{"name":"Acme","subscription_status":"active",
                "subscription_created_at":"2025-03-01T12:00:00+02:00"}})")
            << std::optional(Subscription{"active", march1});
        QTest::newRow("a date that is none")
            << QByteArray(
                   R"({"organization":{"subscription_status":"past_due",
                "subscription_created_at":"yesterday"}})")
            << std::optional(Subscription{"past_due", {}});
        QTest::newRow("fields of other types")
            << QByteArray(
                   R"({"organization":{"subscription_status":true,
                "subscription_created_at":1740823200}})")
            << std::optional(Subscription{});
    }
    void subscription() {
        QFETCH(QByteArray, reply);
        QFETCH(std::optional<Subscription>, subscription);
        QCOMPARE(UsageParser::subscription(reply), subscription);
    }
};

QTEST_GUILESS_MAIN(UsageParserTest)
#include "UsageParserTest.moc"
