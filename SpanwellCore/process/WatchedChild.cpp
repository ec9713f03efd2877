#include "process/WatchedChild.h"

#include "process/Spawn.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <thread>

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>

namespace {

constexpr char exitedNotice = 'x';
constexpr char terminationNotice = 't';

} // namespace

WatchedChild::WatchedChild(pid_t child, FileDescriptor inputWrite, FileDescriptor inputRead,
                           FileDescriptor noticeRead, FileDescriptor noticeWrite)
    : pid(child)
    , input(std::move(inputWrite))
    , inputReadEnd(std::move(inputRead))
    , noticeReadEnd(std::move(noticeRead))
    , noticeWriteEnd(std::move(noticeWrite)) {}

std::shared_ptr<WatchedChild> WatchedChild::launch(const QString& program,
                                                   const QStringList& arguments,
                                                   const QProcessEnvironment& environment,
                                                   OutputHandler onOutput, ExitHandler onExit) {
    FileDescriptor inputReadEnd, input, output, outputWriteEnd, noticeReadEnd, noticeWriteEnd;
    if (!Spawn::makePipe(inputReadEnd, input) || !Spawn::makePipe(output, outputWriteEnd) ||
        !Spawn::makePipe(noticeReadEnd, noticeWriteEnd) || !Spawn::makeNonBlocking(input) ||
        !Spawn::makeNonBlocking(output) || !Spawn::makeNonBlocking(noticeReadEnd) ||
        !Spawn::makeNonBlocking(noticeWriteEnd))
        return nullptr;

    const std::optional<pid_t> pid =
        Spawn::start(program, arguments, environment,
                     {inputReadEnd.get(), outputWriteEnd.get(), outputWriteEnd.get()});
    if (!pid)
        return nullptr;
    outputWriteEnd = FileDescriptor();

    const std::shared_ptr<WatchedChild> child(
        new WatchedChild(*pid, std::move(input), std::move(inputReadEnd), std::move(noticeReadEnd),
                         std::move(noticeWriteEnd)));
    try {
        std::thread(waitForExit, child).detach();
    } catch (const std::exception&) {
        ::kill(*pid, SIGKILL);
        while (::waitpid(*pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        return nullptr;
    }
    try {
        std::thread(readUntilExit, child, std::move(output), std::move(onOutput), std::move(onExit))
            .detach();
    } catch (const std::exception&) {
        // The waiting thread reaps it; nobody is told, as the launch failed.
        child->sendSignal(SIGKILL);
        return nullptr;
    }
    return child;
}

bool WatchedChild::isRunning() const {
    const std::lock_guard guard(lock);
    return !exited;
}

void WatchedChild::write(QByteArrayView bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(input.get(), bytes.data() + written,
                                      static_cast<size_t>(bytes.size() - written));
        if (count > 0)
            written += count;
        else if (count < 0 && errno == EINTR)
            continue;
        else
            return;
    }
}

void WatchedChild::terminate() {
    const std::lock_guard guard(lock);
    if (exited)
        return;
    ::kill(pid, SIGTERM);
    notice(terminationNotice);
}

void WatchedChild::sendSignal(int number) {
    const std::lock_guard guard(lock);
    if (!exited)
        ::kill(pid, number);
}

void WatchedChild::notice(char what) {
    while (::write(noticeWriteEnd.get(), &what, 1) < 0 && errno == EINTR) {
    }
}

void WatchedChild::waitForExit(std::shared_ptr<WatchedChild> child) {
    // Wait without reaping first: until `exited` is set, the process id still names this child.
    siginfo_t information{};
    while (::waitid(P_PID, child->pid, &information, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
    }
    {
        const std::lock_guard guard(child->lock);
        child->exited = true;
    }
    int waitStatus = 0;
    pid_t reaped = 0;
    do
        reaped = ::waitpid(child->pid, &waitStatus, 0);
    while (reaped < 0 && errno == EINTR);
    {
        const std::lock_guard guard(child->lock);
        // -1 when someone else reaped the child and its status is lost.
        child->exitStatus = reaped == child->pid ? Spawn::exitStatusOf(waitStatus) : -1;
    }
    child->notice(exitedNotice);
}

void WatchedChild::readUntilExit(std::shared_ptr<WatchedChild> child, FileDescriptor output,
                                 OutputHandler onOutput, ExitHandler onExit) {
    using Clock = std::chrono::steady_clock;
    constexpr Clock::time_point never = Clock::time_point::max();
    Clock::time_point killAt = never;
    bool outputOpen = true;
    // One read takes at most this much, so each handler call stays small; at the exit the rest
    // of the pipe is read piece by piece below.
    QByteArray buffer(16 * 1024, Qt::Uninitialized);

    for (bool hasExited = false; !hasExited;) {
        pollfd watched[2] = {{child->noticeReadEnd.get(), POLLIN, 0},
                             {outputOpen ? output.get() : -1, POLLIN, 0}};
        int timeout = -1;
        if (killAt != never)
            timeout = static_cast<int>(std::max<std::chrono::milliseconds::rep>(
                0, std::chrono::ceil<std::chrono::milliseconds>(killAt - Clock::now()).count()));
        if (::poll(watched, 2, timeout) < 0)
            continue;

        if (killAt != never && Clock::now() >= killAt) {
            child->sendSignal(SIGKILL);
            killAt = never;
        }
        if (watched[1].revents != 0) {
            const ssize_t count = ::read(output.get(), buffer.data(), buffer.size());
            if (count > 0)
                onOutput(QByteArrayView(buffer.constData(), count));
            else if (count == 0 || (errno != EINTR && errno != EAGAIN))
                outputOpen = false;
        }
        if (watched[0].revents != 0) {
            char notices[64];
            const ssize_t count = ::read(child->noticeReadEnd.get(), notices, sizeof notices);
            for (ssize_t index = 0; index < count; ++index) {
                if (notices[index] == terminationNotice && killAt == never)
                    killAt = Clock::now() + terminationGrace;
                hasExited = hasExited || notices[index] == exitedNotice;
            }
        }
    }

    // Everything the child wrote before exiting is in the pipe now. Take only that much: a
    // process it left behind may hold the pipe open and write for ever.
    int available = 0;
    if (!outputOpen || ::ioctl(output.get(), FIONREAD, &available) != 0)
        available = 0;
    while (available > 0) {
        const ssize_t count =
            ::read(output.get(), buffer.data(), std::min<qsizetype>(available, buffer.size()));
        if (count > 0) {
            onOutput(QByteArrayView(buffer.constData(), count));
            available -= static_cast<int>(count);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            break;
        }
    }

    int status = 0;
    {
        const std::lock_guard guard(child->lock);
        status = child->exitStatus;
    }
    child.reset();
    onExit(status);

    // A process the child left behind (a browser it opened) may write to the pipe for a long
    // time yet. What it writes is taken and dropped until it lets go, so that it neither blocks
    // on a full pipe nor dies of a closed one.
    while (outputOpen) {
        pollfd watched{output.get(), POLLIN, 0};
        if (::poll(&watched, 1, -1) < 0)
            continue;
        const ssize_t count = ::read(output.get(), buffer.data(), buffer.size());
        outputOpen = count > 0 || (count < 0 && (errno == EINTR || errno == EAGAIN));
    }
}
