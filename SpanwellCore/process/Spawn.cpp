#include "process/Spawn.h"

#include <QByteArray>
#include <QFile>

#include <vector>

#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

// Texts as the null-terminated array of pointers that exec expects; the texts must outlive it.
std::vector<char*> pointersTo(std::vector<QByteArray>& texts) {
    std::vector<char*> pointers;
    for (QByteArray& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

struct SpawnActions {
    SpawnActions() { ready = posix_spawn_file_actions_init(&actions) == 0; }
    ~SpawnActions() {
        if (ready)
            posix_spawn_file_actions_destroy(&actions);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;

    bool wire(int descriptor, int stream) {
        return descriptor < 0 ||
               posix_spawn_file_actions_adddup2(&actions, descriptor, stream) == 0;
    }

    posix_spawn_file_actions_t actions;
    bool ready;
};

struct SpawnAttributes {
    SpawnAttributes() { ready = posix_spawnattr_init(&attributes) == 0; }
    ~SpawnAttributes() {
        if (ready)
            posix_spawnattr_destroy(&attributes);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    posix_spawnattr_t attributes;
    bool ready;
};

} // namespace

namespace Spawn {

std::optional<pid_t> start(const QString& program, const QStringList& arguments,
                           const std::optional<QProcessEnvironment>& environment, Streams streams) {
    std::vector<QByteArray> argumentTexts{QFile::encodeName(program)};
    for (const QString& argument : arguments)
        argumentTexts.push_back(argument.toUtf8());
    std::vector<QByteArray> environmentTexts;
    if (environment)
        for (const QString& variable : environment->toStringList())
            environmentTexts.push_back(variable.toUtf8());
    const std::vector<char*> argumentPointers = pointersTo(argumentTexts);
    const std::vector<char*> environmentPointers = pointersTo(environmentTexts);

    SpawnActions wiring;
    SpawnAttributes attributes;
    sigset_t noSignals;
    sigset_t allSignals;
    sigemptyset(&noSignals);
    sigfillset(&allSignals);
    sigdelset(&allSignals, SIGKILL);
    sigdelset(&allSignals, SIGSTOP);
    if (!wiring.ready || !attributes.ready || !wiring.wire(streams.input, 0) ||
        !wiring.wire(streams.output, 1) || !wiring.wire(streams.error, 2) ||
        posix_spawnattr_setsigmask(&attributes.attributes, &noSignals) != 0 ||
        posix_spawnattr_setsigdefault(&attributes.attributes, &allSignals) != 0 ||
        posix_spawnattr_setflags(&attributes.attributes,
                                 POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) != 0)
        return std::nullopt;

    pid_t pid = 0;
    if (posix_spawn(&pid, argumentTexts.front().constData(), &wiring.actions,
                    &attributes.attributes, argumentPointers.data(),
                    environment ? environmentPointers.data() : environ) != 0)
        return std::nullopt;
    return pid;
}

bool makePipe(FileDescriptor& readEnd, FileDescriptor& writeEnd) {
    int ends[2];
#ifdef __linux__
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
#else
    if (::pipe(ends) != 0)
        return false;
#endif
    const FileDescriptor first(ends[0]);
    const FileDescriptor second(ends[1]);
    readEnd = FileDescriptor(::fcntl(first.get(), F_DUPFD_CLOEXEC, 3));
    writeEnd = FileDescriptor(::fcntl(second.get(), F_DUPFD_CLOEXEC, 3));
    return readEnd.isOpen() && writeEnd.isOpen();
}

bool makeNonBlocking(const FileDescriptor& descriptor) {
    const int flags = ::fcntl(descriptor.get(), F_GETFL);
    return flags >= 0 && ::fcntl(descriptor.get(), F_SETFL, flags | O_NONBLOCK) == 0;
}

FileDescriptor openNullDevice(bool forWriting) {
    const FileDescriptor opened(
        ::open("/dev/null", (forWriting ? O_WRONLY : O_RDONLY) | O_CLOEXEC));
    if (!opened.isOpen())
        return {};
    return FileDescriptor(::fcntl(opened.get(), F_DUPFD_CLOEXEC, 3));
}

int exitStatusOf(int waitStatus) {
    return WIFSIGNALED(waitStatus) ? WTERMSIG(waitStatus) : WEXITSTATUS(waitStatus);
}

ssize_t writeWithoutSignal(int descriptor, const char* bytes, size_t count) {
    // The signal is held back on this thread alone while writing, and taken back if it came.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t written = ::write(descriptor, bytes, count);
    const int writeError = errno;
    if (written < 0 && writeError == EPIPE) {
        const timespec noWait{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = writeError;
    return written;
}

} // namespace Spawn
