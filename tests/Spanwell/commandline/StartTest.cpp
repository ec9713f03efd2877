#include "support/LoopbackHttpServer.h"
#include "support/SpanwellProcess.h"
#include "support/TemporaryHome.h"
#include "tray/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLocalSocket>
#include <QTest>

class StartTest : public QObject {
    Q_OBJECT

private slots:
    // Without any display, and whatever platform is chosen, since it needs none.
    void iconMode() {
        TemporaryHome home;
        QProcessEnvironment environment = SpanwellProcess::environment(home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        const QString folder = home.pathOf(QStringLiteral("made/icons"));
        const auto finished = SpanwellProcess::run({QStringLiteral("--icon"), folder}, environment);
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(finished.errors, QByteArray());
        QCOMPARE(QImage(folder + QStringLiteral("/icon_1024.png")).size(), QSize(1024, 1024));
    }

    void withoutADisplayTheTrayProgramSaysSoAndEnds() {
        TemporaryHome home;
        const auto finished = SpanwellProcess::run({}, SpanwellProcess::environment(home.path()));
        QCOMPARE(finished.exitCode, 1);
        QCOMPARE(finished.output, QByteArray());
        QCOMPARE(finished.errors.count('\n'), 1);
        QVERIFY(finished.errors.endsWith('\n'));
    }

    void aSecondStartHandsOverToTheFirstAndEnds() {
        TemporaryHome home;
        LoopbackHttpServer server;
        QProcessEnvironment environment = SpanwellProcess::environment(home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("SPANWELL_API_ORIGIN"), server.origin());
        environment.insert(QStringLiteral("SPANWELL_UPDATE_FEED"),
                           server.origin() + QStringLiteral("/version.json"));
        QProcess first;
        first.setProcessEnvironment(environment);
        first.start(SpanwellProcess::path(), QStringList());
        QLocalSocket probe;
        QVERIFY(QTest::qWaitFor(
            [&] {
                probe.connectToServer(SingleInstance::nameFor(home.path()));
                return probe.waitForConnected(100) || first.state() == QProcess::NotRunning;
            },
            20000));
        probe.disconnectFromServer();
        QCOMPARE(first.state(), QProcess::Running);

        const auto second = SpanwellProcess::run({}, environment, 10000);
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(first.state(), QProcess::Running);
        // Asked to end, it ends as by its own quit command and leaves no lock behind.
        first.terminate();
        QVERIFY(first.waitForFinished(5000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QVERIFY(!QFileInfo::exists(QDir::tempPath() + QLatin1Char('/') +
                                   SingleInstance::nameFor(home.path()) + QStringLiteral(".lock")));
    }
};

QTEST_MAIN(StartTest)
#include "StartTest.moc"
