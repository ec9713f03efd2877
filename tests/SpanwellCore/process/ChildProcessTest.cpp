#include "process/ChildProcess.h"
#include "support/ScopedEnvironment.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

#include <array>
#include <thread>

using ChildProcess::Result;
using ChildProcess::Stream;
using Streams = std::array<Stream, 3>;
using Environment = std::optional<QProcessEnvironment>;
Q_DECLARE_METATYPE(Environment)

namespace {

// A child that records how it was run in the home folder, then runs `body`.
QString recordingChild(const TemporaryHome& home, const QByteArray& body = {}) {
    return home.writeExecutable(QStringLiteral("child"),
                                StandIn::script(StandIn::recordingLines(home.path()) + body));
}

} // namespace

class ChildProcessTest : public QObject {
    Q_OBJECT

private slots:
    // Input, output and error: each kind of stream once in each place, so that no two places
    // can be swapped unseen. The arguments reach the child unchanged, never through a shell;
    // a chosen environment, even an empty one, is the child's whole one, else this program's
    // is passed on.
    void streamsArgumentsAndEnvironmentArePassedOn_data() {
        QTest::addColumn<Streams>("streams");
        QTest::addColumn<Environment>("environment");
        using enum Stream;
        QProcessEnvironment chosen;
        chosen.insert(QStringLiteral("EMPTY"), QString());
        QTest::newRow("null, captured, inherited")
            << Streams{nullDevice, captured, inherited} << Environment();
        QTest::newRow("inherited, null, captured")
            << Streams{inherited, nullDevice, captured} << Environment(chosen);
        QTest::newRow("captured, inherited, null")
            << Streams{captured, inherited, nullDevice} << Environment(QProcessEnvironment());
    }
    void streamsArgumentsAndEnvironmentArePassedOn() {
        QFETCH(Streams, streams);
        QFETCH(Environment, environment);
        TemporaryHome home;
        ScopedEnvironment ownEnvironment;
        ownEnvironment.set("SPANWELL_TEST_MARKER", "from the test");
        // A captured input must reach its end at once, or `cat` would wait until the limit.
        const QString program = recordingChild(
            home, "case $(readlink /proc/$$/fd/0) in pipe:*) cat >/dev/null ;; esac\n"
                  "printf o\nprintf e >&2\n");
        const QStringList arguments{
            "two words",   "",        "$(echo shell) `echo shell`; *", "it's \"quoted\"\\",
            "line\nbreak", "Grüße ·…"};

        const Result result = ChildProcess::run(
            {program, arguments, environment, streams[0], streams[1], streams[2], 5});

        QVERIFY(result.succeeded());
        const QStringList recorded = StandIn::recordedStreams(home.path());
        QCOMPARE(recorded.size(), 3);
        for (int descriptor = 0; descriptor < 3; ++descriptor) {
            const QString own = StandIn::ownStream(descriptor), target = recorded[descriptor];
            const Stream stream = streams[descriptor];
            QVERIFY2(stream == Stream::inherited    ? target == own
                     : stream == Stream::nullDevice ? target == QLatin1String("/dev/null")
                                                    : target.startsWith("pipe:") && target != own,
                     qPrintable(target));
        }
        QCOMPARE(result.output, streams[1] == Stream::captured ? "o" : "");
        QCOMPARE(result.errorOutput, streams[2] == Stream::captured ? "e" : "");
        QCOMPARE(StandIn::recordedArguments(home.path()), arguments);
        const QStringList recordedEnvironment = StandIn::recordedEnvironment(home.path());
        if (environment)
            QCOMPARE(recordedEnvironment, environment->toStringList());
        else
            QVERIFY(recordedEnvironment.contains("SPANWELL_TEST_MARKER=from the test"));
    }

    // Each child waits until all of them are running, so a run that held up another would leave
    // that one waiting in vain until its limit, and one that took another's end would misreport.
    void runsFromSeveralThreadsAtOnce() {
        TemporaryHome home;
        const QString program = home.writeExecutable(
            QStringLiteral("child"),
            StandIn::script("cd '" + home.makeFolder(QStringLiteral("started")).toUtf8() +
                            "' && touch \"$1\"\nuntil [ $(ls | wc -l) = 4 ]; do sleep 0.05; "
                            "done\nprintf '%s' \"$1\"\n"));
        std::array<Result, 4> results;
        {
            std::array<std::jthread, 4> threads;
            for (int index = 0; index < 4; ++index)
                threads[index] = std::jthread([&, index] {
                    const QStringList arguments{QString::number(index)};
                    results[index] = ChildProcess::run(
                        {program, arguments, std::nullopt, {}, Stream::captured, {}, 10});
                });
        }
        for (int index = 0; index < 4; ++index)
            QVERIFY(results[index].succeeded() &&
                    results[index].output == QByteArray::number(index));
    }

    // What a captured input is handed reaches the child whole, however much more than a pipe
    // holds, while its output is read; a child that reads none of it neither blocks the run nor
    // ends this program by a broken pipe.
    void inputBytesReachTheChild_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        QByteArray large(1024 * 1024, 'x');
        large[5000] = '\n';
        QTest::newRow("none") << QByteArray("cat\n") << QByteArray() << QByteArray();
        QTest::newRow("a few bytes")
            << QByteArray("cat\n") << QByteArray("a\0b", 3) << QByteArray("a\0b", 3);
        QTest::newRow("more than a pipe holds") << QByteArray("cat\n") << large << large;
        QTest::newRow("read by none")
            << QByteArray("exec 0<&-\nprintf done\n") << large << QByteArray("done");
    }
    void inputBytesReachTheChild() {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        TemporaryHome home;
        using enum Stream;
        ChildProcess::Request request{home.writeExecutable("child", StandIn::script(body)),
                                      {},
                                      std::nullopt,
                                      captured,
                                      captured,
                                      nullDevice,
                                      10};
        request.inputBytes = input;

        const Result result = ChildProcess::run(request);

        QVERIFY(result.succeeded());
        QCOMPARE(result.output, output);
    }

    // The only runs of the suite that wait out the termination grace: every caller that stops
    // children at a time limit goes through this helper.
    void endingsAndTimeLimits_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<Result::Ending>("ending");
        QTest::addColumn<int>("exitStatus");
        QTest::addColumn<QByteArray>("output");
        // Whether the run must wait out the termination grace after its limit.
        QTest::addColumn<bool>("graceWaited");
        const auto row = [](const char* tag, const char* body, Result::Ending ending, int status,
                            const char* output, bool graceWaited = false) {
            QTest::newRow(tag) << QByteArray(body) << ending << status << QByteArray(output)
                               << graceWaited;
        };
        using enum Result::Ending;
        row("exits with its status", "printf done\nexit 3\n", exited, 3, "done");
        row("ended by a signal of its own", "kill -KILL $$\n", crashed, -1, "");
        row("leaves a descendant holding its output open", "printf done\n@descendant\nexit 0\n",
            exited, 0, "done");
        row("still running at its limit", "printf partial\n@descendant\nwait\n", timedOut, -1,
            "partial");
        row("exits cleanly when asked to end", "trap 'exit 0' TERM\n@descendant\nwait\n", timedOut,
            -1, "");
        row("ignores the request to end, with a descendant holding its output",
            "trap '' TERM\n@descendant\nwait\n", timedOut, -1, "", true);
    }
    void endingsAndTimeLimits() {
        QFETCH(QByteArray, body);
        QFETCH(Result::Ending, ending);
        QFETCH(int, exitStatus);
        QFETCH(QByteArray, output);
        QFETCH(bool, graceWaited);
        TemporaryHome home;
        const auto cleanUp = qScopeGuard([&] { StandIn::endDescendant(home.path()); });
        const QString program = recordingChild(
            home, body.replace("@descendant\n", StandIn::descendantLine(home.path())));

        QElapsedTimer clock;
        clock.start();
        using enum Stream;
        const Result result =
            ChildProcess::run({program, {}, std::nullopt, nullDevice, captured, nullDevice, 0.5});
        const double seconds = double(clock.elapsed()) / 1000 - 0.5;

        QCOMPARE(result.ending, ending);
        QCOMPARE(result.exitStatus, exitStatus);
        QCOMPARE(result.output, output);
        // Seconds past the limit of 0.5: none before it is reached, the grace when it is waited
        // out, and some slack for a busy machine.
        const double earliest = ending != Result::Ending::timedOut ? -0.5
                                : graceWaited ? ChildProcess::terminationGraceSeconds
                                              : 0;
        const double latest = ending != Result::Ending::timedOut ? 0 : earliest + 1.5;
        QVERIFY2(seconds >= earliest && seconds <= latest, qPrintable(QString::number(seconds)));
        QVERIFY(StandIn::hasEnded(home.path()));
    }
};

QTEST_GUILESS_MAIN(ChildProcessTest)
#include "ChildProcessTest.moc"
