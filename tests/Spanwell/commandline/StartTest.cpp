#include "support/LoopbackHttpServer.h"
#include "support/SpanwellProcess.h"
#include "support/TemporaryHome.h"
#include "tray/SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocalSocket>
#include <QTest>

class StartTest : public QObject {
    Q_OBJECT

private slots:
    void iconMode_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("files");
        QTest::newRow("new folder") << "made/icons" << 0 << 7;
        QTest::newRow("below a plain file") << "plain/icons" << 1 << 0;
    }
    // Without any display, and whatever platform is chosen, since it needs none.
    void iconMode() {
        QFETCH(QString, folder);
        QFETCH(int, exitCode);
        QFETCH(int, files);
        TemporaryHome home;
        home.writeFile(QStringLiteral("plain"), "not a folder");
        QProcessEnvironment environment = SpanwellProcess::environment(home.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

        const auto finished =
            SpanwellProcess::run({QStringLiteral("--icon"), home.pathOf(folder)}, environment);
        QVERIFY(finished.inTime);
        QCOMPARE(finished.status, QProcess::NormalExit);
        QCOMPARE(finished.exitCode, exitCode);
        QCOMPARE(finished.errors, QByteArray());
        QCOMPARE(QDir(home.pathOf(folder)).entryList(QDir::Files).size(), files);
        if (files)
            QCOMPARE(QImage(home.pathOf(folder + QStringLiteral("/icon_1024.png"))).size(),
                     QSize(1024, 1024));
    }

    void withoutADisplayTheTrayProgramSaysSoAndEnds() {
        TemporaryHome home;
        const auto finished = SpanwellProcess::run({}, SpanwellProcess::environment(home.path()));
        QVERIFY(finished.inTime);
        QCOMPARE(finished.status, QProcess::NormalExit);
        QCOMPARE(finished.exitCode, 1);
        QCOMPARE(finished.output, QByteArray());
        QCOMPARE(finished.errors.count('\n'), 1);
        QVERIFY(finished.errors.endsWith('\n'));
        QVERIFY(finished.errors.contains("--snapshot FILE --demo"));
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
        QVERIFY(first.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        QLocalSocket probe;
        do {
            QVERIFY2(first.state() == QProcess::Running, first.readAllStandardError().constData());
            QVERIFY(!waited.hasExpired(20000));
            QTest::qWait(50);
            probe.connectToServer(SingleInstance::nameFor(home.path()));
        } while (!probe.waitForConnected(100));
        probe.disconnectFromServer();

        const auto second = SpanwellProcess::run({}, environment, 10000);
        QVERIFY(second.inTime);
        QCOMPARE(second.status, QProcess::NormalExit);
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
