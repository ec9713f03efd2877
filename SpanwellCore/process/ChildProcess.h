#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// One run of an outside program that blocks the calling thread until the program has ended,
// and never much longer than its time limit. Needs no event loop and keeps no shared state, so
// worker threads may run several at once.
namespace ChildProcess {

// How a child that ignores the termination request at its time limit may keep running
// before it is killed.
inline constexpr double terminationGraceSeconds = 2;

// How one standard stream of the child is connected.
enum class Stream {
    inherited,  // this program's own stream
    nullDevice, // nothing is read from it, or everything written to it is discarded
    captured,   // a pipe to this program: output is collected; input gets `inputBytes`, then ends
};

struct Request {
    // Started as it is, never through a shell, and never looked up in a search path.
    QString program;
    QStringList arguments;
    // Absent: this program's environment is passed on. Present: exactly these variables,
    // nothing else, even when there are none.
    std::optional<QProcessEnvironment> environment;
    Stream input = Stream::nullDevice;
    Stream output = Stream::nullDevice;
    Stream error = Stream::nullDevice;
    // At the limit the child gets a termination request (SIGTERM); when it is still running
    // terminationGraceSeconds later it is killed (SIGKILL).
    double timeoutSeconds = 0;
    // What a captured input is given. A child that ends or closes its input before it has read
    // them all simply does not get the rest.
    QByteArray inputBytes = {};
};

struct Result {
    enum class Ending {
        notStarted, // the program could not be started
        exited,     // it ended by itself with `exitStatus`
        crashed,    // it was ended by a signal it did not get from us
        timedOut,   // it was still running at its time limit, whatever it did afterwards
    };

    Ending ending = Ending::notStarted;
    // Set only when the child exited by itself.
    int exitStatus = -1;
    // What the child wrote to a captured stream before it ended. A descendant that keeps the
    // pipe open does not hold up the run; what it writes later is lost.
    QByteArray output;
    QByteArray errorOutput;

    bool succeeded() const { return ending == Ending::exited && exitStatus == 0; }
};

Result run(const Request& request);

} // namespace ChildProcess
