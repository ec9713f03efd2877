#include "support/LoopbackHttpServer.h"
#include "support/SpanwellProcess.h"
#include "support/TemporaryHome.h"
#include "tray/SingleInstance.h"

#include <QLocalSocket>
#include <QTest>

class StartTest : public QObject {
    Q_OBJECT

private slots:
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
        QProcessEnvironment environment =
            SpanwellProcess::environment(home.path(), server.origin());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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
        // Asked to end, it ends as by its own quit command.
        first.terminate();
        QVERIFY(first.waitForFinished(5000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    }
};

QTEST_MAIN(StartTest)
#include "StartTest.moc"
