#include "model/Account.h"
#include "model/LimitReading.h"
#include "model/Snapshot.h"

#include <QJsonDocument>
#include <QTest>

namespace {

Account accountIn(const char* configDir) {
    return Account{configDir, {}, {}, {}, {}};
}

QJsonObject parse(const QByteArray& json) {
    return QJsonDocument::fromJson(json).object();
}

} // namespace

// The records' rules, and the form the cache holds snapshots in: a cache written by an older
// program must still be read. That every value read from a cache is written back to the bit,
// the snapshot cache's fuzz target asserts on its seeds.
class RecordsTest : public QObject {
    Q_OBJECT

private slots:
    // Discovery's test shows .claude and .claude-work told apart.
    void defaultFolderIsTheLastComponent() {
        QVERIFY(accountIn("/Users/ann/.claude/").isDefault());
        QVERIFY(!accountIn("/Users/ann/.Claude").isDefault());
        QVERIFY(!accountIn("/Users/ann/.claude/local").isDefault());
    }

    void folderLabelShortensTheHomeFolder() {
        const std::pair<const char*, const char*> rows[] = {
            {"/Users/ann/.claude-work", "~/.claude-work"},
            {"/Users/ann", "~"},
            {"/Users/anna/.claude", "/Users/anna/.claude"}};
        for (const auto& [configDir, label] : rows)
            QCOMPARE(accountIn(configDir).folderLabel(QStringLiteral("/Users/ann")),
                     QString(label));
    }

    void absentFieldsAreLeftOut() {
        const Snapshot bare{{}, std::nullopt, std::nullopt, std::nullopt, Instant(1.5)};
        QCOMPARE(QJsonDocument(*bare.toJson()).toJson(QJsonDocument::Compact),
                 R"({"fetchedAt":1.5,"limits":[]})");
        QCOMPARE(Snapshot::fromJson(*bare.toJson()), bare);
        QCOMPARE(
            LimitReading::fromJson(parse(R"({"title":"Session","percent":0,"resetsAt":null})")),
            (LimitReading{QStringLiteral("Session"), 0, std::nullopt}));
    }

    void decodingChecksKeysAndTypes() {
        const std::pair<const char*, bool> rows[] = {
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
        for (const auto& [json, decodes] : rows) {
            QString error;
            QVERIFY2(Snapshot::fromJson(parse(json), &error).has_value() == decodes, json);
            QVERIFY2(error.isEmpty() == decodes, json);
        }
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "RecordsTest.moc"
