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
    // A row outside the list opens none, rather than reading past it.
    void openedRowLiesInTheList() {
        QCOMPARE(PanelPicture::openedRow(QStringLiteral("2"), 3), Row(2));
        QCOMPARE(PanelPicture::openedRow(QStringLiteral("3"), 3), Row());
        QCOMPARE(PanelPicture::openedRow(QStringLiteral("-1"), 3), Row());
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
        const QProcessEnvironment environment =
            SpanwellProcess::environment(home.path(), server.origin());

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
