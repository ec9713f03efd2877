#include "store/LockFiles.h"

#include "process/FileDescriptor.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QList>
#include <QSysInfo>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

// Far more than a process number, an application name and a host name take.
constexpr qsizetype largestLockFile = 4096;
// A holder locks its file a moment after making it, empty; an empty file younger than this may
// be one being made.
constexpr qint64 unwrittenForSeconds = 1;

enum class Found { nothing, held, stale };

// The first, second and third lines of a lock file: the holder's process number, the
// application and the host.
bool ownerIsGone(const QByteArray& contents, const struct stat& status) {
    const QList<QByteArray> lines = contents.split('\n');
    bool isNumber = false;
    const qint64 processId = lines.value(0).toLongLong(&isNumber);
    // Made in the future, the clock was put back since: it is not being made now either.
    if (!isNumber || processId <= 0 || lines.size() < 3)
        return std::abs(QDateTime::currentSecsSinceEpoch() - qint64(status.st_mtime)) >=
               unwrittenForSeconds;
    return lines.at(2) == QSysInfo::machineHostName().toUtf8() &&
           ::kill(pid_t(processId), 0) != 0 && errno == ESRCH;
}

// Looks at the lock at `path`, and removes it when it is stale and `remove` is set. The kernel's
// lock is held while the file is looked at and removed, so no holder can take it meanwhile.
Found inspect(const QString& path, bool remove) {
    const QByteArray name = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(name.constData(), &link) != 0)
        return Found::nothing;
    if (!S_ISREG(link.st_mode))
        return !remove || ::unlink(name.constData()) == 0 ? Found::stale : Found::held;
    const FileDescriptor file(
        ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || status.st_ino != link.st_ino ||
        status.st_dev != link.st_dev || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
        return Found::held;
    QByteArray contents(largestLockFile, Qt::Uninitialized);
    const ssize_t count = ::read(file.get(), contents.data(), size_t(contents.size()));
    contents.truncate(std::max<ssize_t>(count, 0));
    if (!ownerIsGone(contents, status))
        return Found::held;
    return !remove || ::unlink(name.constData()) == 0 ? Found::stale : Found::held;
}

} // namespace

namespace LockFiles {

bool isHeld(const QString& path) {
    return inspect(path, false) == Found::held;
}

bool tryLock(QLockFile& lock) {
    // Before Qt looks at it: Qt would wait on a named pipe in the lock's place, and takes an
    // empty file for a live lock.
    inspect(lock.fileName(), true);
    return lock.tryLock(0);
}

bool lockWithin(QLockFile& lock, int milliseconds, int pollMilliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!tryLock(lock)) {
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return false;
        QThread::msleep(pollMilliseconds);
    }
    return true;
}

QString whyNotTaken(const QLockFile& lock, int milliseconds) {
    switch (lock.error()) {
    case QLockFile::LockFailedError:
        return QStringLiteral("another process held the lock %1 for longer than %2 ms")
            .arg(lock.fileName())
            .arg(milliseconds);
    case QLockFile::PermissionError:
        return QStringLiteral("the lock %1 cannot be made: permission denied").arg(lock.fileName());
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    return QStringLiteral("the lock %1 cannot be made").arg(lock.fileName());
}

} // namespace LockFiles
