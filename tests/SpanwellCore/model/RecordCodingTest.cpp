#include "model/Account.h"
#include "model/FetchProblem.h"
#include "model/Snapshot.h"

#include <QJsonDocument>
#include <QTest>

#include <limits>

namespace {

QJsonValue parse(const char* json) {
    return QJsonDocument::fromJson(json).object();
}

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

Snapshot fullSnapshot() {
    return Snapshot{
        {LimitReading{QStringLiteral("Session"), 12.5, Instant(800000000.125)},
         LimitReading{QStringLiteral("Week, Opus"), 0, std::nullopt}},
        QStringLiteral("Max"),
        Subscription{QStringLiteral("active"), Instant(700000000)},
        Instant(810000000),
        Instant(799990000.25),
    };
}

} // namespace

class RecordCodingTest : public QObject {
    Q_OBJECT

private slots:
    void absentFieldsAreLeftOut() {
        const Snapshot bare{{}, std::nullopt, std::nullopt, std::nullopt, Instant(1.5)};
        const QJsonObject json = *bare.toJson();
        QCOMPARE(json.keys(), QStringList({QStringLiteral("fetchedAt"), QStringLiteral("limits")}));
        QCOMPARE(compact(*Subscription{}.toJson()), QByteArray("{}"));
        const LimitReading noReset{QStringLiteral("Session"), 0, std::nullopt};
        QCOMPARE(compact(*noReset.toJson()), QByteArray(R"({"percent":0,"title":"Session"})"));
        QCOMPARE(
            LimitReading::fromJson(parse(R"({"title":"Session","percent":0,"resetsAt":null})")),
            noReset);
        QCOMPARE(Snapshot::fromJson(json), bare);
    }

    void snapshotsRoundTripToTheBit_data() {
        QTest::addColumn<double>("seconds");
        QTest::newRow("fraction") << 799990000.123456789;
        QTest::newRow("tiny") << 5e-324;
        QTest::newRow("before the reference date") << -978307200.000001;
    }
    void snapshotsRoundTripToTheBit() {
        QFETCH(double, seconds);
        Snapshot snapshot = fullSnapshot();
        snapshot.fetchedAt = Instant(seconds);
        snapshot.loginExpiresAt = Instant(seconds);
        const QByteArray written = compact(*snapshot.toJson());
        QCOMPARE(Snapshot::fromJson(QJsonDocument::fromJson(written).object()), snapshot);
    }

    void nonFiniteNumbersCannotBeWritten_data() {
        QTest::addColumn<double>("value");
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity();
    }
    void nonFiniteNumbersCannotBeWritten() {
        QFETCH(double, value);
        Snapshot percent = fullSnapshot();
        percent.limits[1].percent = value;
        QVERIFY(!percent.toJson());
        Snapshot fetched = fullSnapshot();
        fetched.fetchedAt = Instant(value);
        QVERIFY(!fetched.toJson());
        Snapshot created = fullSnapshot();
        created.subscription->createdAt = Instant(value);
        QVERIFY(!created.toJson());
    }

    void decodingChecksKeysAndTypes_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("minimal") << QByteArray(R"({"limits":[],"fetchedAt":1})") << true;
        QTest::newRow("unknown keys")
            << QByteArray(R"({"limits":[],"fetchedAt":1,"x":[]})") << true;
        QTest::newRow("null optionals")
            << QByteArray(R"({"limits":[{"title":"Week","percent":3,"resetsAt":null}],)"
                          R"("plan":null,"subscription":null,"fetchedAt":1})")
            << true;
        QTest::newRow("no fetchedAt") << QByteArray(R"({"limits":[]})") << false;
        QTest::newRow("reading without percent")
            << QByteArray(R"({"limits":[{"title":"Week"}],"fetchedAt":1})") << false;
        QTest::newRow("percent as text")
            << QByteArray(R"({"limits":[{"title":"Week","percent":"3"}],"fetchedAt":1})") << false;
        QTest::newRow("date as text") << QByteArray(R"({"limits":[],"fetchedAt":"1"})") << false;
        QTest::newRow("date before the year 1")
            << QByteArray(R"({"limits":[],"fetchedAt":-9.2e15})") << false;
        QTest::newRow("reset after the year 9999")
            << QByteArray(R"({"limits":[{"title":"Week","percent":3,"resetsAt":8e19}],)"
                          R"("fetchedAt":1})")
            << false;
        QTest::newRow("subscription as array")
            << QByteArray(R"({"limits":[],"subscription":[],"fetchedAt":1})") << false;
        QTest::newRow("bad subscription status")
            << QByteArray(R"({"limits":[],"subscription":{"status":1},"fetchedAt":1})") << false;
    }
    void decodingChecksKeysAndTypes() {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        QString error;
        const std::optional<Snapshot> snapshot =
            Snapshot::fromJson(QJsonDocument::fromJson(json).object(), &error);
        QCOMPARE(snapshot.has_value(), decodes);
        QCOMPARE(error.isEmpty(), decodes);
    }

    void accountRoundTrips() {
        const Account full{QStringLiteral("/h/.claude-work"), QStringLiteral("service"),
                           QStringLiteral("ann@example.com"), QStringLiteral("Org"),
                           QStringLiteral("Max")};
        QCOMPARE(Account::fromJson(full.toJson()), full);
        const Account bare{QStringLiteral("/h/.claude"), QStringLiteral("s"), QString(), {}, {}};
        QCOMPARE(bare.toJson().keys().size(), 3);
        QCOMPARE(Account::fromJson(bare.toJson()), bare);
        QVERIFY(!Account::fromJson(parse(R"({"configDir":"/h","email":"a"})")));
    }

    void problemsHaveOneKeyPerCase() {
        const QList<std::pair<FetchProblem, QByteArray>> cases{
            {FetchProblem::signInExpired(), R"({"signInExpired":{}})"},
            {FetchProblem::noCredential(), R"({"noCredential":{}})"},
            {FetchProblem::failed(QStringLiteral("Boom “x”")), R"({"failed":{"_0":"Boom “x”"}})"},
        };
        for (const auto& [problem, json] : cases) {
            QCOMPARE(compact(problem.toJson()), json);
            QCOMPARE(FetchProblem::fromJson(QJsonDocument::fromJson(json).object()), problem);
        }
        QVERIFY(FetchProblem::failed(QStringLiteral("a")) !=
                FetchProblem::failed(QStringLiteral("b")));
        QVERIFY(FetchProblem::failed(QString()) != FetchProblem::noCredential());
    }

    void problemDecodingNeedsExactlyOneCase_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("error");
        const QString keyCount = QStringLiteral("Invalid number of keys found, expected one.");
        QTest::newRow("two cases")
            << QByteArray(R"({"failed":{"_0":"x"},"noCredential":{}})") << keyCount;
        QTest::newRow("empty") << QByteArray("{}") << keyCount;
        QTest::newRow("case and unrelated key")
            << QByteArray(R"({"noCredential":{},"x":1})") << QString();
        QTest::newRow("payload not an object")
            << QByteArray(R"({"noCredential":true})") << QStringLiteral("*");
        QTest::newRow("failed without text")
            << QByteArray(R"({"failed":{}})") << QStringLiteral("*");
        QTest::newRow("contents ignored")
            << QByteArray(R"({"signInExpired":{"_0":3}})") << QString();
    }
    void problemDecodingNeedsExactlyOneCase() {
        QFETCH(QByteArray, json);
        QFETCH(QString, error);
        QString reported;
        const std::optional<FetchProblem> problem =
            FetchProblem::fromJson(QJsonDocument::fromJson(json).object(), &reported);
        QCOMPARE(problem.has_value(), error.isEmpty());
        if (error != QLatin1String("*"))
            QCOMPARE(reported, error);
        else
            QVERIFY(!reported.isEmpty());
    }
};

QTEST_GUILESS_MAIN(RecordCodingTest)
#include "RecordCodingTest.moc"
