#pragma once

#include "process/FileDescriptor.h"

#include <QByteArrayView>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

#include <sys/types.h>

// A child process whose standard output and standard error share one pipe and whose standard
// input is a pipe of ours. Two threads of its own watch it: one waits for the child to exit,
// the other reads the output and runs both handlers, so the handlers never run on the thread
// that launched the child, output comes in order, and the exit handler runs exactly once,
// after every byte the child wrote before exiting, even when a process it started (a browser)
// still holds the pipe open; after that, what such a process writes is read and dropped until it
// lets go of the pipe. The threads share ownership of the process with the launcher: dropping
// the launcher's handle neither stops the child nor waits for it.
class WatchedChild {
public:
    using OutputHandler = std::function<void(QByteArrayView bytes)>;
    // A normal exit gives the exit code, a child ended by a signal the signal's number, and -1
    // stands for a status lost to someone else reaping the child.
    using ExitHandler = std::function<void(int status)>;

    // How long a child may take to end after a termination request before it is killed.
    static constexpr std::chrono::milliseconds terminationGrace{2000};

    // Starts `program` with exactly these arguments and this environment. Absent when it could
    // not be started; the handlers are then never called.
    static std::shared_ptr<WatchedChild> launch(const QString& program,
                                                const QStringList& arguments,
                                                const QProcessEnvironment& environment,
                                                OutputHandler onOutput, ExitHandler onExit);

    bool isRunning() const;
    // Writes to the child's standard input without ever blocking: what the pipe cannot take
    // now is dropped. Safe after the child has gone.
    void write(QByteArrayView bytes);
    // Asks a running child to terminate; one still running `terminationGrace` later is killed.
    void terminate();

private:
    WatchedChild(pid_t pid, FileDescriptor input, FileDescriptor inputReadEnd,
                 FileDescriptor noticeReadEnd, FileDescriptor noticeWriteEnd);

    static void waitForExit(std::shared_ptr<WatchedChild> child);
    static void readUntilExit(std::shared_ptr<WatchedChild> child, FileDescriptor output,
                              OutputHandler onOutput, ExitHandler onExit);
    void sendSignal(int number);
    void notice(char what);

    const pid_t pid;
    const FileDescriptor input;
    // Our own copy of the child's end of its input pipe: with a reader always present, a code
    // written just as the child goes lands in the pipe instead of raising SIGPIPE here.
    const FileDescriptor inputReadEnd;
    // Tells the reading thread that the child has exited or was asked to terminate.
    const FileDescriptor noticeReadEnd;
    const FileDescriptor noticeWriteEnd;

    mutable std::mutex lock;
    // Set while the exited child is not yet reaped, so no signal can reach a reused process id.
    bool exited = false;
    int exitStatus = 0;
};
