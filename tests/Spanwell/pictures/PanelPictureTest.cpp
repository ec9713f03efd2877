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
Q_DECLARE_METATYPE(Row)

class PanelPictureTest : public QObject {
    Q_OBJECT

private slots:
    void openedRow_data() {
        QTest::addColumn<QString>("open");
        QTest::addColumn<Row>("row");
        QTest::newRow("plus sign") << "+1" << Row(1);
        QTest::newRow("last") << "2" << Row(2);
        QTest::newRow("past the end") << "7" << Row();
        QTest::newRow("negative") << "-1" << Row();
        QTest::newRow("not a number") << "x" << Row();
    }
    void openedRow() {
        QFETCH(QString, open);
        QFETCH(Row, row);
        QCOMPARE(PanelPicture::openedRow(open, 3), row);
        QCOMPARE(PanelPicture::openedRow(std::nullopt, 3), Row());
    }

    // Through the executable, with no display to draw on.
    void drawsTheDemoPanel_data() {
        QTest::addColumn<QStringList>("modifiers");
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << QStringList() << false;
        QTest::newRow("dark, every row open") << QStringList{"--dark", "--expand-all"} << true;
    }
    void drawsTheDemoPanel() {
        QFETCH(QStringList, modifiers);
        QFETCH(bool, dark);
        TemporaryHome home;
        const QString path = home.pathOf(QStringLiteral("panel.png"));
        const auto finished = SpanwellProcess::run(
            QStringList{QStringLiteral("--snapshot"), path, QStringLiteral("--demo")} + modifiers,
            SpanwellProcess::environment(home.path()));
        QVERIFY(finished.inTime);
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(finished.output + finished.errors, QByteArray());

        const QImage picture(path);
        QCOMPARE(picture.width(), 768);
        QVERIFY(picture.height() > 200);
        for (const QPoint corner : {QPoint(0, 0), QPoint(767, picture.height() - 1)})
            QCOMPARE(qAlpha(picture.pixel(corner)), 0);
        // Inside the summary's top padding.
        const QColor ground = picture.pixelColor(384, 6);
        QCOMPARE(ground.alpha(), 255);
        QCOMPARE(ground.lightnessF() < 0.5, dark);
        // Nothing of the demo store reaches the disk.
        QVERIFY(!QFileInfo::exists(home.pathOf(QStringLiteral(".local/share/Spanwell"))));
    }

    void anUnwritablePathStillEndsWell() {
        TemporaryHome home;
        const QString path = home.pathOf(QStringLiteral("missing/folder/panel.png"));
        const auto finished =
            SpanwellProcess::run({QStringLiteral("--snapshot"), path, QStringLiteral("--demo")},
                                 SpanwellProcess::environment(home.path()));
        QVERIFY(finished.inTime);
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(finished.output + finished.errors, QByteArray());
        QVERIFY(!QFileInfo::exists(path));
    }

    // Without the demo store, the picture waits for one real refresh, which writes the cache.
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
        QVERIFY(finished.inTime);
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(QImage(path).width(), 768);
        const auto cached = SnapshotCache::read(
            home.pathOf(QStringLiteral(".local/share/Spanwell/snapshots.json")));
        const Snapshot snapshot = cached.value(home.pathOf(QStringLiteral(".claude")));
        QCOMPARE(snapshot.limits.value(0).percent, 37.0);
    }
};

QTEST_MAIN(PanelPictureTest)
#include "PanelPictureTest.moc"
