#include "accounts/RegularFile.h"

#include "process/FileDescriptor.h"

#include <QFile>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Read in pieces: one read of many megabytes runs in the kernel from start to end, and on a
// kernel that does not preempt there, holds up every other thread on its processor.
constexpr qint64 pieceSize = 256 * 1024;

} // namespace

namespace RegularFile {

std::optional<QByteArray> read(const QString& path, qint64 largestSize) {
    // Without O_NONBLOCK, opening a named pipe waits for a writer; the type is checked on the
    // open descriptor, so nothing can be swapped in between.
    const FileDescriptor file(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size > largestSize)
        return std::nullopt;
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0)
        return std::nullopt;

    // One byte beyond the limit tells a file that grew past it while being read.
    const qint64 capacity = std::min<qint64>(status.st_size, largestSize) + 1;
    QByteArray bytes(capacity, Qt::Uninitialized);
    qint64 filled = 0;
    while (filled <= largestSize) {
        if (filled == bytes.size())
            bytes.resize(std::min(filled + pieceSize, largestSize + 1));
        const ssize_t count =
            ::read(file.get(), bytes.data() + filled,
                   static_cast<size_t>(std::min(pieceSize, bytes.size() - filled)));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return std::nullopt;
        if (count == 0) {
            bytes.truncate(filled);
            return bytes;
        }
        filled += count;
    }
    return std::nullopt;
}

} // namespace RegularFile
