#include "model/Account.h"
#include "model/HistoryJob.h"
#include "model/LimitReading.h"
#include "model/Snapshot.h"

#include <QCborArray>
#include <QCborMap>
#include <QCborValue>
#include <QJsonDocument>
#include <QTest>

namespace {

Account accountIn(const QString& configDir) {
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
        const QString home = QStringLiteral("/Users/ann");
        QCOMPARE(accountIn("/Users/ann/.claude-work").folderLabel(home), "~/.claude-work");
        QCOMPARE(accountIn("/Users/ann").folderLabel(home), "~");
        QCOMPARE(accountIn("/Users/anna/.claude").folderLabel(home), "/Users/anna/.claude");
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

    void decodingChecksKeysAndTypes_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("unknown key") << QByteArray(R"({"limits":[],"fetchedAt":1,"x":[]})") << true;
        QTest::newRow("every key")
            << QByteArray(R"({"limits":[{"title":"Week","percent":3,"resetsAt":null}],"plan":null,)"
                          R"("subscription":null,"fetchedAt":1})")
            << true;
        QTest::newRow("no fetch instant") << QByteArray(R"({"limits":[]})") << false;
        QTest::newRow("percent as text")
            << QByteArray(R"({"limits":[{"title":"Week","percent":"3"}],"fetchedAt":1})") << false;
        QTest::newRow("instant as text") << QByteArray(R"({"limits":[],"fetchedAt":"1"})") << false;
        // Instants before the year 1 or after the year 9999.
        QTest::newRow("before the year 1")
            << QByteArray(R"({"limits":[],"fetchedAt":-9.2e15})") << false;
        QTest::newRow("after the year 9999")
            << QByteArray(
                   R"({"limits":[{"title":"Week","percent":3,"resetsAt":8e19}],"fetchedAt":1})")
            << false;
        QTest::newRow("subscription of the wrong shape")
            << QByteArray(R"({"limits":[],"subscription":{"status":1},"fetchedAt":1})") << false;
    }
    void decodingChecksKeysAndTypes() {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        QString error;
        QCOMPARE(Snapshot::fromJson(parse(json), &error).has_value(), decodes);
        QCOMPARE(error.isEmpty(), decodes);
    }

    // A job and its answer cross to the history's child and back unchanged, and a child never
    // acts on part of one: every cut of the bytes, and a reading of the wrong shape, read as
    // nothing.
    void historyJobsCrossWhole() {
        using Source = HistoryReading::Source;
        const HistoryJob job{
            "/home/ann/.local/state/Spanwell/history.sqlite",
            {{"/home/ann/.claude", "Session", 12.5, Instant(1e8), Instant(9e7), Source::service},
             {"/home/ann/.claude-ü", "Week, Opus 4.1 · “x”", 100, std::nullopt, Instant(9e7 + 0.25),
              Source::claudeCode}},
            Instant(9e7 + 1),
            90,
            HistoryJob::RecentUse{Instant(8e7), Instant(9e7 - 7200), 1200}};
        const QByteArray bytes = job.encoded();
        QCOMPARE(HistoryJob::decoded(bytes), job);
        HistoryJob bare = job;
        bare.readings.clear();
        bare.recentUse.reset();
        QCOMPARE(HistoryJob::decoded(bare.encoded()), bare);
        for (qsizetype cut = 0; cut < bytes.size(); ++cut)
            QVERIFY2(!HistoryJob::decoded(bytes.left(cut)), qPrintable(QString::number(cut)));
        QCborMap wrongShape = QCborValue::fromCbor(bare.encoded()).toMap();
        wrongShape.insert(QStringLiteral("readings"),
                          QCborArray{QCborMap{{QStringLiteral("folder"), "/f"},
                                              {QStringLiteral("title"), "Week"},
                                              {QStringLiteral("percent"), "3"},
                                              {QStringLiteral("readAt"), 1},
                                              {QStringLiteral("source"), "service"}}});
        QVERIFY(!HistoryJob::decoded(QCborValue(wrongShape).toCbor()));

        const QList<LimitHistory> recentUse{
            {"/home/ann/.claude", "Session", {{Instant(1), 0}, {Instant(301.5), 7.25}}},
            {"/home/ann/.claude", "Week", {}}};
        QCOMPARE(HistoryJob::decodedRecentUse(HistoryJob::encodedRecentUse(recentUse)), recentUse);
        QVERIFY(!HistoryJob::decodedRecentUse("not CBOR"));
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "RecordsTest.moc"
