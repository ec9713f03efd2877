#include "process/ChildProcess.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

#include <array>
#include <thread>
#include <vector>

using ChildProcess::Result;
using ChildProcess::Stream;

namespace {

// Slack for a loaded machine on top of the times the rules allow.
constexpr double slackSeconds = 1.5;
constexpr double limitSeconds = 0.5;

QString expectedStream(Stream stream, int descriptor) {
    switch (stream) {
    case Stream::inherited:
        return StandIn::ownStream(descriptor);
    case Stream::nullDevice:
        return QStringLiteral("/dev/null");
    case Stream::captured:
        return QStringLiteral("a pipe of its own");
    }
    return {};
}

QString describe(const QString& target, int descriptor) {
    const bool ownPipe =
        target.startsWith(QLatin1String("pipe:")) && target != StandIn::ownStream(descriptor);
    return ownPipe ? QStringLiteral("a pipe of its own") : target;
}

} // namespace

class ChildProcessTest : public QObject {
    Q_OBJECT

private slots:
    void streamsAreConnectedAsAsked_data() {
        QTest::addColumn<Stream>("input");
        QTest::addColumn<Stream>("output");
        QTest::addColumn<Stream>("error");
        QTest::newRow("all on the null device")
            << Stream::nullDevice << Stream::nullDevice << Stream::nullDevice;
        QTest::newRow("all captured") << Stream::captured << Stream::captured << Stream::captured;
        QTest::newRow("all inherited")
            << Stream::inherited << Stream::inherited << Stream::inherited;
        QTest::newRow("output captured, error inherited")
            << Stream::nullDevice << Stream::captured << Stream::inherited;
    }

    void streamsAreConnectedAsAsked() {
        QFETCH(Stream, input);
        QFETCH(Stream, output);
        QFETCH(Stream, error);
        TemporaryHome home;
        // A captured input must reach its end at once, or `cat` would wait until the limit.
        const QString program = home.writeExecutable(
            QStringLiteral("child"), StandIn::script(StandIn::recordingLines(home.path()) +
                                                     "case $(readlink /proc/$$/fd/0) in\n"
                                                     "pipe:*) cat > /dev/null ;;\n"
                                                     "esac\n"
                                                     "printf o\n"
                                                     "printf e >&2\n"));

        const Result result =
            ChildProcess::run({program, {}, std::nullopt, input, output, error, 5});

        QVERIFY(result.succeeded());
        const QStringList streams = StandIn::recordedStreams(home.path());
        QCOMPARE(streams.size(), 3);
        QCOMPARE(describe(streams[0], 0), expectedStream(input, 0));
        QCOMPARE(describe(streams[1], 1), expectedStream(output, 1));
        QCOMPARE(describe(streams[2], 2), expectedStream(error, 2));
        QCOMPARE(result.output, output == Stream::captured ? QByteArray("o") : QByteArray());
        QCOMPARE(result.errorOutput, error == Stream::captured ? QByteArray("e") : QByteArray());
    }

    void argumentsAndEnvironmentArePassedUnchanged() {
        TemporaryHome home;
        const QString program = home.writeExecutable(
            QStringLiteral("child"), StandIn::script(StandIn::recordingLines(home.path())));
        const QStringList arguments{QStringLiteral("two words"),
                                    QString(),
                                    QStringLiteral("$(touch touched) `touch touched`; *"),
                                    QStringLiteral("it's \"quoted\"\\"),
                                    QStringLiteral("line\nbreak"),
                                    QStringLiteral("Grüße ·…")};
        qputenv("SPANWELL_TEST_MARKER", "from the test");
        const auto restore = qScopeGuard([] { qunsetenv("SPANWELL_TEST_MARKER"); });

        QVERIFY(ChildProcess::run({program, arguments, std::nullopt, {}, {}, {}, 5}).succeeded());
        QCOMPARE(StandIn::recordedArguments(home.path()), arguments);
        QVERIFY(!QFile::exists(home.pathOf(QStringLiteral("touched"))));
        QVERIFY(StandIn::recordedEnvironment(home.path())
                    .contains(QStringLiteral("SPANWELL_TEST_MARKER=from the test")));

        QProcessEnvironment chosen;
        chosen.insert(QStringLiteral("B"), QStringLiteral("two words"));
        chosen.insert(QStringLiteral("EMPTY"), QString());
        QVERIFY(ChildProcess::run({program, {}, chosen, {}, {}, {}, 5}).succeeded());
        QCOMPARE(StandIn::recordedEnvironment(home.path()), QStringList({"B=two words", "EMPTY="}));

        QVERIFY(ChildProcess::run({program, {}, QProcessEnvironment(), {}, {}, {}, 5}).succeeded());
        QCOMPARE(StandIn::recordedEnvironment(home.path()), QStringList());
    }

    void endingsAndTimeLimits_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Result::Ending>("ending");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QByteArray>("output");
        // The bounds of the time the run may take, in seconds.
        QTest::addColumn<double>("earliest");
        QTest::addColumn<double>("latest");
        const double limit = limitSeconds;
        const double grace = ChildProcess::terminationGraceSeconds;

        QTest::newRow("exits with its status")
            << QByteArray("printf done\nexit 3\n") << Result::Ending::exited << 3
            << QByteArray("done") << 0.0 << limit;
        QTest::newRow("ended by a signal of its own")
            << QByteArray("kill -KILL $$\n") << Result::Ending::crashed << -1 << QByteArray() << 0.0
            << limit;
        QTest::newRow("leaves a descendant holding its output open")
            << QByteArray("printf done\n@descendant\nexit 0\n") << Result::Ending::exited << 0
            << QByteArray("done") << 0.0 << limit;
        QTest::newRow("still running at its limit")
            << QByteArray("printf partial\n@descendant\nwait\n") << Result::Ending::timedOut << -1
            << QByteArray("partial") << limit << limit + slackSeconds;
        QTest::newRow("exits cleanly when asked to end")
            << QByteArray("trap 'exit 0' TERM\n@descendant\nwait\n") << Result::Ending::timedOut
            << -1 << QByteArray() << limit << limit + slackSeconds;
        QTest::newRow("ignores the request to end, with a descendant holding its output")
            << QByteArray("trap '' TERM\n@descendant\nwait\n") << Result::Ending::timedOut << -1
            << QByteArray() << limit + grace << limit + grace + slackSeconds;
    }

    void endingsAndTimeLimits() {
        QFETCH(QByteArray, body);
        QFETCH(Result::Ending, ending);
        QFETCH(int, exitStatus);
        QFETCH(QByteArray, output);
        QFETCH(double, earliest);
        QFETCH(double, latest);
        TemporaryHome home;
        const auto cleanUp = qScopeGuard([&] { StandIn::endDescendant(home.path()); });
        body.replace("@descendant\n", StandIn::descendantLine(home.path()));
        const QString program = home.writeExecutable(
            QStringLiteral("child"), StandIn::script(StandIn::recordingLines(home.path()) + body));

        QElapsedTimer clock;
        clock.start();
        const Result result = ChildProcess::run({program,
                                                 {},
                                                 std::nullopt,
                                                 Stream::nullDevice,
                                                 Stream::captured,
                                                 Stream::nullDevice,
                                                 limitSeconds});
        const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;

        QCOMPARE(result.ending, ending);
        QCOMPARE(result.exitStatus, exitStatus);
        QCOMPARE(result.output, output);
        QVERIFY2(seconds >= earliest && seconds <= latest, qPrintable(QString::number(seconds)));
        QVERIFY(StandIn::hasEnded(home.path()));
    }

    void programsThatCannotStart_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("missing") << QStringLiteral("missing");
        QTest::newRow("not executable") << QStringLiteral("plain");
        QTest::newRow("a name to look up in the search path") << QStringLiteral("sh");
    }

    void programsThatCannotStart() {
        QFETCH(QString, program);
        TemporaryHome home;
        home.writeFile(QStringLiteral("plain"), "#!/bin/sh\nexit 0\n");
        const QString path = program == QLatin1String("sh") ? program : home.pathOf(program);

        const Result result = ChildProcess::run({path, {}, std::nullopt, {}, {}, {}, 5});

        QCOMPARE(result.ending, Result::Ending::notStarted);
        QVERIFY(!result.succeeded());
    }

    // Each child waits until all of them are running, so a run that held up another would
    // leave that one waiting in vain.
    void runsFromSeveralThreadsAtOnce() {
        TemporaryHome home;
        const QString started = home.makeFolder(QStringLiteral("started"));
        const QString program = home.writeExecutable(
            QStringLiteral("child"),
            StandIn::script(
                "cd '" + started.toUtf8() +
                "' && touch \"$1\"\n"
                "for try in $(seq 50); do [ $(ls | wc -l) -ge 4 ] && break; sleep 0.1; done\n"
                "[ $(ls | wc -l) -ge 4 ] && printf '%s' \"$1\"\n"));
        const ChildProcess::Request request{
            program, {}, std::nullopt, Stream::nullDevice, Stream::captured, Stream::nullDevice,
            10};

        std::array<Result, 4> results;
        std::vector<std::thread> threads;
        for (size_t index = 0; index < results.size(); ++index)
            threads.emplace_back([&, index] {
                ChildProcess::Request numbered = request;
                numbered.arguments = {QString::number(index)};
                results[index] = ChildProcess::run(numbered);
            });
        for (std::thread& thread : threads)
            thread.join();

        for (size_t index = 0; index < results.size(); ++index) {
            QVERIFY(results[index].succeeded());
            QCOMPARE(results[index].output, QByteArray::number(index));
        }
    }
};

QTEST_GUILESS_MAIN(ChildProcessTest)
#include "ChildProcessTest.moc"
