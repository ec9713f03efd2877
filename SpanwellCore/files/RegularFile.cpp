#include "files/RegularFile.h"

#include "process/FileDescriptor.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Read in pieces: one read of many megabytes runs in the kernel from start to end, and on a
// kernel that does not preempt there, holds up every other thread on its processor.
constexpr qint64 pieceSize = 256 * 1024;

// `what` and the reason the system gave, from errno.
RegularFile::Written failed(const char* what) {
    return {QString::fromUtf8(what) + QStringLiteral(": ") +
            QString::fromLocal8Bit(std::strerror(errno))};
}

bool writeAll(int file, const QByteArray& contents) {
    qsizetype written = 0;
    while (written < contents.size()) {
        const ssize_t count = ::write(file, contents.constData() + written,
                                      static_cast<size_t>(contents.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

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

Written replace(const QString& path, const QByteArray& contents, Readers readers, Flush flush) {
    const QByteArray encoded = QFile::encodeName(path);
    const qsizetype slash = encoded.lastIndexOf('/');
    const QByteArray name = encoded.mid(slash + 1);
    if (name.isEmpty())
        return {QStringLiteral("the path names a folder, not a file")};
    const QByteArray folderPath = slash > 0 ? encoded.left(slash) : slash == 0 ? "/" : ".";
    // Every step is taken in the folder opened once, so swapping the folder for a link midway
    // cannot move the rename elsewhere.
    const FileDescriptor folder(::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.isOpen())
        return failed("its folder cannot be opened");
    QByteArray temporary;
    FileDescriptor file;
    // O_EXCL makes a file of our own, never opening one or a link someone placed under the name.
    for (int attempt = 0; attempt < 16 && !file.isOpen(); ++attempt) {
        temporary = '.' + name + '.' +
                    QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".new";
        file = FileDescriptor(::openat(folder.get(), temporary.constData(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                       readers == Readers::user ? 0600 : 0666));
        if (!file.isOpen() && errno != EEXIST)
            return failed("no new file can be made in its folder");
    }
    if (!file.isOpen())
        return {QStringLiteral("no free name for a new file was found in its folder")};
    Written written;
    if (!writeAll(file.get(), contents))
        written = failed("the new file cannot be written");
    else if (flush == Flush::beforeRename && ::fsync(file.get()) != 0)
        written = failed("the new file cannot be flushed to the disk");
    else if (::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) != 0)
        written = failed("the new file cannot be put in its place");
    if (!written)
        ::unlinkat(folder.get(), temporary.constData(), 0);
    return written;
}

Written makeFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (!error)
        return {};
    return {QStringLiteral("the folder %1 cannot be made: %2")
                .arg(folder, QString::fromLocal8Bit(error.message()))};
}

Written replaceMakingFolders(const QString& path, const QByteArray& contents, Readers readers) {
    const Written made = makeFolder(QFileInfo(path).path());
    return made ? replace(path, contents, readers) : made;
}

} // namespace RegularFile
