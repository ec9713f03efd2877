#include "pictures/PanelPicture.h"
#include "store/SnapshotCache.h"
#include "support/LoopbackHttpServer.h"
#include "support/SpanwellProcess.h"
#include "support/TemporaryHome.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QTest>

using Row = std::optional<qsizetype>;

class PanelPictureTest : public QObject {
    Q_OBJECT

private slots:
    void openedRow_data() {
        QTest::addColumn<QString>("open");
        QTest::addColumn<Row>("row");
        QTest::newRow("plus sign") << "+1" << Row(1);
        QTest::newRow("last") << "2" << Row(2);
        QTest::newRow("past the end") << "3" << Row();
        QTest::newRow("not a number") << "x" << Row();
    }
    void openedRow() {
        QFETCH(QString, open);
        QFETCH(Row, row);
        QCOMPARE(PanelPicture::openedRow(open, 3), row);
        QCOMPARE(PanelPicture::openedRow(std::nullopt, 3), Row());
    }

    // The executable, without a display and without the demo store, waits for one real
    // refresh, which writes the cache.
    void refreshesTheAccountsOnceFirst() {
        TemporaryHome home;
        home.addAccount(QStringLiteral(".claude"), QStringLiteral("me@example.com"));
        const qint64 tomorrow = QDateTime::currentMSecsSinceEpoch() + 86400000;
        home.writeFile(QStringLiteral(".claude/.credentials.json"),
                       QByteArray(R"({"claudeAiOauth":{"accessToken":"token","expiresAt":)") +
                           QByteArray::number(tomorrow) + "}}");
        LoopbackHttpServer server;
        server.answer(
            "/api/oauth/usage",
            LoopbackHttpServer::Answer::of(
                200, R"({"five_hour":{"utilization":37},"seven_day":{"utilization":5}})"));
        QProcessEnvironment environment = SpanwellProcess::environment(home.path());
        environment.insert(QStringLiteral("SPANWELL_API_ORIGIN"), server.origin());
        environment.insert(QStringLiteral("SPANWELL_UPDATE_FEED"),
                           server.origin() + QStringLiteral("/version.json"));

        const QString path = home.pathOf(QStringLiteral("panel.png"));
        const auto finished =
            SpanwellProcess::run({QStringLiteral("--snapshot"), path}, environment);
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(finished.output + finished.errors, QByteArray());
        QVERIFY(!QImage(path).isNull());
        const auto cached = SnapshotCache::read(
            home.pathOf(QStringLiteral(".local/share/Spanwell/snapshots.json")));
        QCOMPARE(cached.value(home.pathOf(QStringLiteral(".claude"))).limits.value(0).percent,
                 37.0);
    }
};

QTEST_MAIN(PanelPictureTest)
#include "PanelPictureTest.moc"
