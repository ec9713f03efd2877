#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Files that come from outside the program (account files, credentials, the cache, the
// settings), which may be anything a path can name: a named pipe that never delivers, a device
// that never ends, a sparse file far larger than memory, a link to a file of someone else's.
namespace RegularFile {

// The whole file, when the path leads (links followed) to a regular file of at most
// `largestSize` bytes; absent otherwise, and when it cannot be read. Never waits for a writer
// and never allocates more than the size it has checked.
std::optional<QByteArray> read(const QString& path, qint64 largestSize);

// Who may read a file the program writes: the user alone, or whoever the user's umask lets.
enum class Readers { user, asUmaskAllows };

// What became of a write: done, or why not, in words for the log that end with the system's
// own reason where it gave one.
struct Written {
    // Empty when it was done.
    QString failure;

    explicit operator bool() const { return failure.isEmpty(); }
};

// Whether a new file reaches the disk before it takes the old one's place, so that a power loss
// leaves one or the other, never an empty file: worth its wait (a millisecond, far more on a busy
// disk) for what the program keeps, not for a picture that is made again in a moment.
enum class Flush { beforeRename, bySystem };

// Puts `contents` at `path` whole or not at all: a new file is written beside it and renamed
// over it, so whatever is at the path (a symbolic link among them) is replaced, never followed
// or written through. When it could not be written, what was there stays.
Written replace(const QString& path, const QByteArray& contents, Readers readers = Readers::user,
                Flush flush = Flush::beforeRename);

// Makes `folder` and the folders above it that are missing.
Written makeFolder(const QString& folder);
// `replace`, after making the file's folder and those above it when they are missing.
Written replaceMakingFolders(const QString& path, const QByteArray& contents,
                             Readers readers = Readers::user);

} // namespace RegularFile
