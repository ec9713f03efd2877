#include "model/Account.h"
#include "model/FetchProblem.h"
#include "model/Snapshot.h"

#include <QJsonDocument>
#include <QTest>

#include <cmath>

namespace {

QJsonObject parse(const char* json) {
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

// The cache holds these forms; a program that wrote an older cache must be able to read it.
class RecordCodingTest : public QObject {
    Q_OBJECT

private slots:
    void absentFieldsAreLeftOut() {
        const Snapshot bare{{}, std::nullopt, std::nullopt, std::nullopt, Instant(1.5)};
        QCOMPARE(compact(*bare.toJson()), R"({"fetchedAt":1.5,"limits":[]})");
        QCOMPARE(Snapshot::fromJson(*bare.toJson()), bare);
        const LimitReading noReset{QStringLiteral("Session"), 0, std::nullopt};
        QCOMPARE(compact(*noReset.toJson()), R"({"percent":0,"title":"Session"})");
        QCOMPARE(
            LimitReading::fromJson(parse(R"({"title":"Session","percent":0,"resetsAt":null})")),
            noReset);
    }

    void snapshotsRoundTripToTheBit() {
        for (const double seconds : {799990000.123456789, 5e-324, -978307200.000001}) {
            Snapshot snapshot = fullSnapshot();
            snapshot.fetchedAt = Instant(seconds);
            snapshot.loginExpiresAt = Instant(seconds);
            const QByteArray written = compact(*snapshot.toJson());
            QCOMPARE(Snapshot::fromJson(parse(written.constData())), snapshot);
        }
    }

    void nonFiniteNumbersCannotBeWritten() {
        for (const double value : {std::nan(""), double(INFINITY)}) {
            Snapshot percent = fullSnapshot();
            percent.limits[1].percent = value;
            Snapshot fetched = fullSnapshot();
            fetched.fetchedAt = Instant(value);
            Snapshot created = fullSnapshot();
            created.subscription->createdAt = Instant(value);
            QVERIFY(!percent.toJson() && !fetched.toJson() && !created.toJson());
        }
    }

    void decodingChecksKeysAndTypes() {
        const std::pair<const char*, bool> snapshots[] = {
            {R"({"limits":[],"fetchedAt":1,"x":[]})", true},
            {R"({"limits":[{"title":"Week","percent":3,"resetsAt":null}],"plan":null,)"
             R"("subscription":null,"fetchedAt":1})",
             true},
            {R"({"limits":[]})", false},
            {R"({"limits":[{"title":"Week","percent":"3"}],"fetchedAt":1})", false},
            {R"({"limits":[],"fetchedAt":"1"})", false},
            // Instants before the year 1 or after the year 9999.
            {R"({"limits":[],"fetchedAt":-9.2e15})", false},
            {R"({"limits":[{"title":"Week","percent":3,"resetsAt":8e19}],"fetchedAt":1})", false},
            {R"({"limits":[],"subscription":{"status":1},"fetchedAt":1})", false}};
        for (const auto& [json, decodes] : snapshots) {
            QString error;
            QVERIFY2(Snapshot::fromJson(parse(json), &error).has_value() == decodes, json);
            QVERIFY2(error.isEmpty() == decodes, json);
        }
        // A problem is one key naming its case, whose payload is an object.
        const std::pair<const char*, bool> problems[] = {
            {R"({"failed":{"_0":"x"},"noCredential":{}})", false},
            {"{}", false},
            {R"({"noCredential":{},"x":1})", true},
            {R"({"noCredential":true})", false},
            {R"({"failed":{}})", false},
            {R"({"signInExpired":{"_0":3}})", true}};
        for (const auto& [json, decodes] : problems) {
            QString error;
            QVERIFY2(FetchProblem::fromJson(parse(json), &error).has_value() == decodes, json);
            QVERIFY2(error.isEmpty() == decodes, json);
        }
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
        const std::pair<FetchProblem, const char*> cases[] = {
            {FetchProblem::signInExpired(), R"({"signInExpired":{}})"},
            {FetchProblem::noCredential(), R"({"noCredential":{}})"},
            {FetchProblem::failed(QStringLiteral("Boom “x”")), R"({"failed":{"_0":"Boom “x”"}})"}};
        for (const auto& [problem, json] : cases) {
            QCOMPARE(compact(problem.toJson()), json);
            QCOMPARE(FetchProblem::fromJson(parse(json)), problem);
        }
        QVERIFY(FetchProblem::failed(QStringLiteral("a")) !=
                FetchProblem::failed(QStringLiteral("b")));
        QVERIFY(FetchProblem::failed(QString()) != FetchProblem::noCredential());
    }
};

QTEST_GUILESS_MAIN(RecordCodingTest)
#include "RecordCodingTest.moc"
