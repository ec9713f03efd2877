#include "process/ChildProcess.h"
#include "support/ScopedEnvironment.h"
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
using Streams = std::array<Stream, 3>;

namespace {

// What one of the child's descriptors was connected to; a pipe that is not ours is "captured".
QString described(const QString& target, int descriptor) {
    const bool ours = target == StandIn::ownStream(descriptor);
    return target.startsWith(QLatin1String("pipe:")) && !ours ? QStringLiteral("captured") : target;
}

QString expected(Stream stream, int descriptor) {
    return stream == Stream::inherited  ? StandIn::ownStream(descriptor)
           : stream == Stream::captured ? QStringLiteral("captured")
                                        : QStringLiteral("/dev/null");
}

} // namespace

class ChildProcessTest : public QObject {
    Q_OBJECT

private slots:
    // Input, output and error: each kind of stream once in each place, so that no two places
    // can be swapped unseen.
    void streamsAreConnectedAsAsked_data() {
        QTest::addColumn<Streams>("streams");
        using enum Stream;
        QTest::newRow("null, captured, inherited") << Streams{nullDevice, captured, inherited};
        QTest::newRow("inherited, null, captured") << Streams{inherited, nullDevice, captured};
        QTest::newRow("captured, inherited, null") << Streams{captured, inherited, nullDevice};
    }
    void streamsAreConnectedAsAsked() {
        QFETCH(Streams, streams);
        TemporaryHome home;
        // A captured input must reach its end at once, or `cat` would wait until the limit.
        const QString program = home.writeExecutable(
            QStringLiteral("child"),
            StandIn::script(StandIn::recordingLines(home.path()) +
                            "case $(readlink /proc/$$/fd/0) in pipe:*) cat >/dev/null ;; esac\n"
                            "printf o\nprintf e >&2\n"));

        const Result result =
            ChildProcess::run({program, {}, std::nullopt, streams[0], streams[1], streams[2], 5});

        QVERIFY(result.succeeded());
        const QStringList recorded = StandIn::recordedStreams(home.path());
        QCOMPARE(recorded.size(), 3);
        for (int descriptor = 0; descriptor < 3; ++descriptor)
            QCOMPARE(described(recorded[descriptor], descriptor),
                     expected(streams[descriptor], descriptor));
        QCOMPARE(result.output, streams[1] == Stream::captured ? "o" : "");
        QCOMPARE(result.errorOutput, streams[2] == Stream::captured ? "e" : "");
    }

    void argumentsAndEnvironmentArePassedUnchanged() {
        TemporaryHome home;
        const QString program = home.writeExecutable(
            QStringLiteral("child"), StandIn::script(StandIn::recordingLines(home.path())));
        const QStringList arguments{
            "two words",   "",        "$(echo shell) `echo shell`; *", "it's \"quoted\"\\",
            "line\nbreak", "Grüße ·…"};
        ScopedEnvironment environment;
        environment.set("SPANWELL_TEST_MARKER", "from the test");

        QVERIFY(ChildProcess::run({program, arguments, std::nullopt, {}, {}, {}, 5}).succeeded());
        QCOMPARE(StandIn::recordedArguments(home.path()), arguments);
        QVERIFY(StandIn::recordedEnvironment(home.path())
                    .contains("SPANWELL_TEST_MARKER=from the test"));

        QProcessEnvironment chosen;
        chosen.insert(QStringLiteral("B"), QStringLiteral("two words"));
        chosen.insert(QStringLiteral("EMPTY"), QString());
        QVERIFY(ChildProcess::run({program, {}, chosen, {}, {}, {}, 5}).succeeded());
        QCOMPARE(StandIn::recordedEnvironment(home.path()), QStringList({"B=two words", "EMPTY="}));
        // An empty environment is a chosen one too, not a request to pass this one on.
        QVERIFY(ChildProcess::run({program, {}, QProcessEnvironment(), {}, {}, {}, 5}).succeeded());
        QCOMPARE(StandIn::recordedEnvironment(home.path()), QStringList());
    }

    // The only runs of the suite that wait out the termination grace: every caller that stops
    // children at a time limit goes through this helper.
    void endingsAndTimeLimits_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Result::Ending>("ending");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QByteArray>("output");
        // The bounds of the time the run may take, in seconds, on top of the limit of 0.5.
        QTest::addColumn<double>("earliest");
        QTest::addColumn<double>("latest");
        const double grace = ChildProcess::terminationGraceSeconds, slack = 1.5;
        const auto row = [](const char* tag, const char* body, Result::Ending ending, int status,
                            const char* output, double earliest, double latest) {
            QTest::newRow(tag) << QByteArray(body) << ending << status << QByteArray(output)
                               << earliest << latest;
        };
        using enum Result::Ending;
        row("exits with its status", "printf done\nexit 3\n", exited, 3, "done", -0.5, 0);
        row("ended by a signal of its own", "kill -KILL $$\n", crashed, -1, "", -0.5, 0);
        row("leaves a descendant holding its output open", "printf done\n@descendant\nexit 0\n",
            exited, 0, "done", -0.5, 0);
        row("still running at its limit", "printf partial\n@descendant\nwait\n", timedOut, -1,
            "partial", 0, slack);
        row("exits cleanly when asked to end", "trap 'exit 0' TERM\n@descendant\nwait\n", timedOut,
            -1, "", 0, slack);
        row("ignores the request to end, with a descendant holding its output",
            "trap '' TERM\n@descendant\nwait\n", timedOut, -1, "", grace, grace + slack);
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
        using enum Stream;
        const Result result =
            ChildProcess::run({program, {}, std::nullopt, nullDevice, captured, nullDevice, 0.5});
        const double seconds = double(clock.elapsed()) / 1000 - 0.5;

        QCOMPARE(result.ending, ending);
        QCOMPARE(result.exitStatus, exitStatus);
        QCOMPARE(result.output, output);
        QVERIFY2(seconds >= earliest && seconds <= latest, qPrintable(QString::number(seconds)));
        QVERIFY(StandIn::hasEnded(home.path()));
    }

    void programsThatCannotStart() {
        TemporaryHome home;
        // Not executable, and a bare name that a search of the PATH would find.
        for (const QString& program :
             {home.writeFile(QStringLiteral("plain"), "#!/bin/sh\n"), QStringLiteral("sh")})
            QCOMPARE(ChildProcess::run({program, {}, std::nullopt, {}, {}, {}, 5}).ending,
                     Result::Ending::notStarted);
    }

    // Each child waits until all of them are running, so a run that held up another would
    // leave that one waiting in vain, until its limit.
    void runsFromSeveralThreadsAtOnce() {
        TemporaryHome home;
        const QString started = home.makeFolder(QStringLiteral("started"));
        const QString program = home.writeExecutable(
            QStringLiteral("child"), StandIn::script("cd '" + started.toUtf8() +
                                                     "' && touch \"$1\"\n"
                                                     "until [ $(ls | wc -l) = 4 ]; do sleep 0.05; "
                                                     "done\nprintf '%s' \"$1\"\n"));
        std::array<Result, 4> results;
        std::vector<std::thread> threads;
        for (int index = 0; index < 4; ++index)
            threads.emplace_back([&, index] {
                const QStringList arguments{QString::number(index)};
                results[index] = ChildProcess::run(
                    {program, arguments, std::nullopt, {}, Stream::captured, {}, 10});
            });
        for (std::thread& thread : threads)
            thread.join();
        for (int index = 0; index < 4; ++index)
            QCOMPARE(results[index].output, QByteArray::number(index));
    }
};

QTEST_GUILESS_MAIN(ChildProcessTest)
#include "ChildProcessTest.moc"
