#pragma once

#include "process/FileDescriptor.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

#include <sys/types.h>

// Starts child processes the cheap way. posix_spawn shares this program's memory with the child
// until it runs the program instead of copying it, so starting several children while other
// threads work (a refresh starts one per account) neither stalls those threads nor makes them
// copy every page they then write. Every child starts with default signal handling and nothing
// blocked, whatever this program ignores (SIGPIPE, for one).
namespace Spawn {

// What the child's standard streams are: a descriptor of ours, or -1 for this program's own.
struct Streams {
    int input = -1;
    int output = -1;
    int error = -1;
};

// Starts `program` (a path; no search) with exactly these arguments, and this environment or,
// when absent, this program's own. Absent when the child could not be started.
std::optional<pid_t> start(const QString& program, const QStringList& arguments,
                           const std::optional<QProcessEnvironment>& environment, Streams streams);

// A pipe whose ends are closed on exec and numbered above the standard streams, so that wiring
// them to 0, 1 and 2 in the child can never overwrite one with another.
bool makePipe(FileDescriptor& readEnd, FileDescriptor& writeEnd);
bool makeNonBlocking(const FileDescriptor& descriptor);
// The null device, for reading (`forWriting` false) or writing; closed on exec.
FileDescriptor openNullDevice(bool forWriting);
// write(2) to a pipe whose reader may be gone: EPIPE then, never SIGPIPE, which would end this
// program.
ssize_t writeWithoutSignal(int descriptor, const char* bytes, size_t count);
// A normal exit gives its code, an end by a signal the signal's number.
int exitStatusOf(int waitStatus);

} // namespace Spawn
