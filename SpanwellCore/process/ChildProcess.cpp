#include "process/ChildProcess.h"

#include "LogCategories.h"
#include "process/FileDescriptor.h"
#include "process/Spawn.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <thread>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

namespace {

using Clock = std::chrono::steady_clock;

// How often the child's end is looked for while it runs; it bounds how late an exit is noticed.
constexpr std::chrono::milliseconds checkInterval{10};
// After SIGKILL the kernel ends the child at once; this only bounds the wait for it to be
// reaped, so that a child stuck in the kernel cannot hold up the caller for long.
constexpr std::chrono::milliseconds reapAfterKill{500};

// A limit that is negative or not a number leaves no time at all; a limit beyond any
// meaningful wait is capped rather than overflowing.
Clock::time_point deadlineAfter(double seconds) {
    const double bounded = seconds > 0 ? std::min(seconds, 1e9) : 0;
    return Clock::now() +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(bounded));
}

// One standard stream of the child: the descriptor it gets, and for captured output the end
// this side reads.
struct Wire {
    FileDescriptor childEnd;
    FileDescriptor ourEnd;
    bool ok = true;

    int forChild() const { return childEnd.isOpen() ? childEnd.get() : -1; }
};

Wire wire(ChildProcess::Stream stream, bool isInput) {
    Wire result;
    switch (stream) {
    case ChildProcess::Stream::inherited:
        break;
    case ChildProcess::Stream::nullDevice:
        result.childEnd = Spawn::openNullDevice(!isInput);
        result.ok = result.childEnd.isOpen();
        break;
    case ChildProcess::Stream::captured: {
        FileDescriptor readEnd, writeEnd;
        result.ok = Spawn::makePipe(readEnd, writeEnd);
        result.childEnd = std::move(isInput ? readEnd : writeEnd);
        result.ourEnd = std::move(isInput ? writeEnd : readEnd);
        result.ok = result.ok && Spawn::makeNonBlocking(result.ourEnd);
        break;
    }
    }
    return result;
}

// Takes what a captured pipe holds now, without waiting; closes it at its end.
void drain(FileDescriptor& pipe, QByteArray& into) {
    char buffer[16 * 1024];
    while (pipe.isOpen()) {
        const ssize_t count = ::read(pipe.get(), buffer, sizeof buffer);
        if (count > 0)
            into.append(buffer, count);
        else if (count == 0)
            pipe = FileDescriptor();
        else if (errno != EINTR)
            return;
    }
}

// Hands the child as much of `bytes` (from `written` on) as its input takes now, without
// waiting; closes it once all are written, or when the child no longer reads.
void feed(FileDescriptor& input, const QByteArray& bytes, qsizetype& written) {
    while (input.isOpen() && written < bytes.size()) {
        const ssize_t count = Spawn::writeWithoutSignal(input.get(), bytes.constData() + written,
                                                        size_t(bytes.size() - written));
        if (count > 0)
            written += count;
        else if (count < 0 && errno == EAGAIN)
            return;
        else if (count == 0 || errno != EINTR)
            input = FileDescriptor();
    }
    input = FileDescriptor();
}

// Waits up to one check interval for output or room for input, or simply for time to pass.
void waitForStreams(const FileDescriptor& input, const FileDescriptor& output,
                    const FileDescriptor& error) {
    pollfd watched[3] = {{output.isOpen() ? output.get() : -1, POLLIN, 0},
                         {error.isOpen() ? error.get() : -1, POLLIN, 0},
                         {input.isOpen() ? input.get() : -1, POLLOUT, 0}};
    ::poll(watched, 3, static_cast<int>(checkInterval.count()));
}

// The child's wait status once it has ended, without blocking.
std::optional<int> endedStatus(pid_t pid, bool* lost) {
    int status = 0;
    pid_t reaped = 0;
    do
        reaped = ::waitpid(pid, &status, WNOHANG);
    while (reaped < 0 && errno == EINTR);
    *lost = reaped < 0;
    if (reaped != pid)
        return std::nullopt;
    return status;
}

} // namespace

namespace ChildProcess {

Result run(const Request& request) {
    Result result;
    if (!request.program.contains(QLatin1Char('/')))
        return result;

    Wire input = wire(request.input, true);
    Wire output = wire(request.output, false);
    Wire error = wire(request.error, false);
    if (!input.ok || !output.ok || !error.ok)
        return result;
    const std::optional<pid_t> pid =
        Spawn::start(request.program, request.arguments, request.environment,
                     {input.forChild(), output.forChild(), error.forChild()});
    // The child has its ends now; ours close, so that it alone holds them.
    input.childEnd = FileDescriptor();
    output.childEnd = FileDescriptor();
    error.childEnd = FileDescriptor();
    if (!pid)
        return result;

    const Clock::time_point deadline = deadlineAfter(request.timeoutSeconds);
    std::optional<Clock::time_point> killAt;
    qsizetype inputWritten = 0;
    feed(input.ourEnd, request.inputBytes, inputWritten);
    while (true) {
        waitForStreams(input.ourEnd, output.ourEnd, error.ourEnd);
        feed(input.ourEnd, request.inputBytes, inputWritten);
        drain(output.ourEnd, result.output);
        drain(error.ourEnd, result.errorOutput);

        bool lost = false;
        if (const std::optional<int> status = endedStatus(*pid, &lost)) {
            // What the child wrote before it ended is in the pipes now; a descendant that
            // keeps them open does not hold up the run.
            drain(output.ourEnd, result.output);
            drain(error.ourEnd, result.errorOutput);
            if (killAt) {
                result.ending = Result::Ending::timedOut;
            } else if (WIFEXITED(*status)) {
                result.ending = Result::Ending::exited;
                result.exitStatus = WEXITSTATUS(*status);
            } else {
                result.ending = Result::Ending::crashed;
            }
            return result;
        }
        if (lost) {
            result.ending = killAt ? Result::Ending::timedOut : Result::Ending::crashed;
            return result;
        }

        const Clock::time_point now = Clock::now();
        if (!killAt && now >= deadline) {
            qCWarning(processLog) << request.program << "did not end within"
                                  << request.timeoutSeconds << "seconds; asking it to end";
            ::kill(*pid, SIGTERM);
            killAt = now + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(terminationGraceSeconds));
        } else if (killAt && now >= *killAt) {
            ::kill(*pid, SIGKILL);
            const Clock::time_point giveUp = Clock::now() + reapAfterKill;
            while (!endedStatus(*pid, &lost) && !lost && Clock::now() < giveUp)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            result.ending = Result::Ending::timedOut;
            return result;
        }
    }
}

} // namespace ChildProcess
