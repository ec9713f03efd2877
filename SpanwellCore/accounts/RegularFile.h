#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reads files that come from outside the program (account files, credentials, the cache),
// which may be anything a path can name: a named pipe that never delivers, a device that never
// ends, a sparse file far larger than memory.
namespace RegularFile {

// The whole file, when the path leads (links followed) to a regular file of at most
// `largestSize` bytes; absent otherwise, and when it cannot be read. Never waits for a writer
// and never allocates more than the size it has checked.
std::optional<QByteArray> read(const QString& path, qint64 largestSize);

} // namespace RegularFile
