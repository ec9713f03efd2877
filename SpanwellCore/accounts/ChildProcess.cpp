#include "accounts/ChildProcess.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// A limit that is negative or not a number leaves no time at all; a limit beyond any
// meaningful wait is capped rather than overflowing.
QDeadlineTimer deadlineAfter(double seconds) {
    if (!(seconds > 0))
        return QDeadlineTimer(0);
    return QDeadlineTimer(static_cast<qint64>(std::ceil(std::min(seconds, 1e9) * 1000.0)));
}

int millisecondsLeft(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::min<qint64>(deadline.remainingTime(), INT_MAX));
}

// After SIGKILL the kernel ends the child at once; this only bounds the wait for it to be
// reaped, so that a child stuck in the kernel cannot hold up the caller for long.
constexpr int reapAfterKillMilliseconds = 500;

void connectStreams(QProcess& process, const ChildProcess::Request& request) {
    using ChildProcess::Stream;
    const bool forwardOutput = request.output == Stream::inherited;
    const bool forwardError = request.error == Stream::inherited;
    if (forwardOutput && forwardError)
        process.setProcessChannelMode(QProcess::ForwardedChannels);
    else if (forwardOutput)
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    else if (forwardError)
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    else
        process.setProcessChannelMode(QProcess::SeparateChannels);

    if (request.output == Stream::nullDevice)
        process.setStandardOutputFile(QProcess::nullDevice());
    if (request.error == Stream::nullDevice)
        process.setStandardErrorFile(QProcess::nullDevice());
    if (request.input == Stream::inherited)
        process.setInputChannelMode(QProcess::ForwardedInputChannel);
    else if (request.input == Stream::nullDevice)
        process.setStandardInputFile(QProcess::nullDevice());
}

// Waits for the child's end, which the kernel reports whether or not a descendant still
// holds one of the child's pipes open.
bool finishedBy(QProcess& process, const QDeadlineTimer& deadline) {
    process.waitForFinished(millisecondsLeft(deadline));
    return process.state() == QProcess::NotRunning;
}

} // namespace

namespace ChildProcess {

Result run(const Request& request) {
    Result result;
    if (!request.program.contains(QLatin1Char('/')))
        return result;

    QProcess process;
    process.setProgram(request.program);
    process.setArguments(request.arguments);
    if (request.environment)
        process.setProcessEnvironment(*request.environment);
    connectStreams(process, request);

    const QDeadlineTimer deadline = deadlineAfter(request.timeoutSeconds);
    process.start();
    process.waitForStarted(millisecondsLeft(deadline));
    if (process.state() == QProcess::NotRunning)
        return result;
    if (request.input == Stream::captured)
        process.closeWriteChannel();

    if (finishedBy(process, deadline)) {
        if (process.exitStatus() == QProcess::NormalExit) {
            result.ending = Result::Ending::exited;
            result.exitStatus = process.exitCode();
        } else {
            result.ending = Result::Ending::crashed;
        }
    } else {
        result.ending = Result::Ending::timedOut;
        process.terminate();
        const QDeadlineTimer grace(static_cast<qint64>(terminationGraceSeconds * 1000.0));
        if (!finishedBy(process, grace)) {
            process.kill();
            process.waitForFinished(reapAfterKillMilliseconds);
        }
    }

    if (request.output == Stream::captured)
        result.output = process.readAllStandardOutput();
    if (request.error == Stream::captured)
        result.errorOutput = process.readAllStandardError();
    return result;
}

} // namespace ChildProcess
