#include "model/Account.h"
#include "model/FetchProblem.h"
#include "model/LimitReading.h"
#include "model/Snapshot.h"

#include <QJsonDocument>
#include <QTest>

#include <cmath>

namespace {

Account accountIn(const char* configDir) {
    return Account{configDir, {}, {}, {}, {}};
}

QJsonObject parse(const QByteArray& json) {
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

// The records' rules, and the forms the cache holds them in: a cache written by an older
// program must still be read.
class RecordsTest : public QObject {
    Q_OBJECT

private slots:
    void defaultFolderIsTheLastComponent() {
        const std::pair<const char*, bool> rows[] = {{"/Users/ann/.claude", true},
                                                     {"/Users/ann/.claude/", true},
                                                     {"/Users/ann/.claude-work", false},
                                                     {"/Users/ann/.Claude", false},
                                                     {"/Users/ann/.claude/local", false}};
        for (const auto& [configDir, isDefault] : rows)
            QVERIFY2(accountIn(configDir).isDefault() == isDefault, configDir);
    }

    void folderLabelShortensTheHomeFolder() {
        const std::pair<const char*, const char*> rows[] = {
            {"/Users/ann/.claude-work", "~/.claude-work"},
            {"/Users/ann", "~"},
            {"/Users/anna/.claude", "/Users/anna/.claude"},
            {"/Volumes/work/.claude", "/Volumes/work/.claude"}};
        for (const auto& [configDir, label] : rows)
            QCOMPARE(accountIn(configDir).folderLabel(QStringLiteral("/Users/ann")),
                     QString(label));
    }

    void readingResetsAtItsInstant() {
        const Instant reset(800000000);
        const LimitReading reading{QStringLiteral("Week"), 80, reset};
        QCOMPARE(reading.current(reset - 1), reading);
        QCOMPARE(reading.current(reset), (LimitReading{QStringLiteral("Week"), 0, std::nullopt}));
        const LimitReading withoutReset{QStringLiteral("Session"), 100, std::nullopt};
        QCOMPARE(withoutReset.current(Instant(1e9)), withoutReset);
    }

    // Only "Session" and "Week" cover the whole account; a scope follows the first ", ".
    void titlesTellTheirScope() {
        const std::tuple<const char*, bool, const char*> rows[] = {
            {"Session", true, "Session"},
            {"Week, Opus", false, "Opus"},
            {"session", false, "session"},
            {"Week, Opus, 4", false, "Opus, 4"},
            {"Week,Opus", false, "Week,Opus"}};
        for (const auto& [title, wholeAccount, shortTitle] : rows) {
            const LimitReading reading{title, 0, std::nullopt};
            QVERIFY2(reading.coversWholeAccount() == wholeAccount, title);
            QCOMPARE(reading.shortTitle(), QString(shortTitle));
        }
    }

    void absentFieldsAreLeftOut() {
        const Snapshot bare{{}, std::nullopt, std::nullopt, std::nullopt, Instant(1.5)};
        QCOMPARE(compact(*bare.toJson()), R"({"fetchedAt":1.5,"limits":[]})");
        QCOMPARE(Snapshot::fromJson(*bare.toJson()), bare);
        const LimitReading noReset{QStringLiteral("Session"), 0, std::nullopt};
        QCOMPARE(
            LimitReading::fromJson(parse(R"({"title":"Session","percent":0,"resetsAt":null})")),
            noReset);
        const Account account{QStringLiteral("/h/.claude"), QStringLiteral("s"), QString(), {}, {}};
        QCOMPARE(compact(account.toJson()),
                 R"({"configDir":"/h/.claude","email":"","keychainService":"s"})");
        QCOMPARE(Account::fromJson(account.toJson()), account);
        QVERIFY(!Account::fromJson(parse(R"({"configDir":"/h","email":"a"})")));
    }

    void snapshotsRoundTripToTheBit() {
        for (const double seconds : {799990000.123456789, 5e-324, -978307200.000001}) {
            Snapshot snapshot = fullSnapshot();
            snapshot.fetchedAt = Instant(seconds);
            snapshot.loginExpiresAt = Instant(seconds);
            QCOMPARE(Snapshot::fromJson(parse(compact(*snapshot.toJson()))), snapshot);
        }
        const Account full{QStringLiteral("/h/.claude-work"), QStringLiteral("service"),
                           QStringLiteral("ann@example.com"), QStringLiteral("Org"),
                           QStringLiteral("Max")};
        QCOMPARE(Account::fromJson(parse(compact(full.toJson()))), full);
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

    void problemsHaveOneKeyPerCase() {
        const std::pair<FetchProblem, const char*> cases[] = {
            {FetchProblem::signInExpired(), R"({"signInExpired":{}})"},
            {FetchProblem::noCredential(), R"({"noCredential":{}})"},
            {FetchProblem::failed(QStringLiteral("Boom “x”")), R"({"failed":{"_0":"Boom “x”"}})"}};
        for (const auto& [problem, json] : cases) {
            QCOMPARE(compact(problem.toJson()), json);
            QCOMPARE(FetchProblem::fromJson(parse(json)), problem);
        }
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "RecordsTest.moc"
