#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The few questions the account code asks of the file system. Handed in, so that a test can
// show what a real folder cannot (a home folder that cannot be listed, even for root).
// Implementations keep no state and may be used from any thread.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Names of the entries of a folder, one level, hidden ones included; absent when it
    // cannot be listed.
    virtual std::optional<QStringList> entryNames(const QString& folder) const = 0;
    // Symbolic links are followed by both tests.
    virtual bool exists(const QString& path) const = 0;
    virtual bool isFolder(const QString& path) const = 0;
    virtual bool isExecutableFile(const QString& path) const = 0;
    // The whole file; absent when it is missing or unreadable, is not a regular file (links
    // followed), or is too large to be an account file.
    virtual std::optional<QByteArray> contents(const QString& path) const = 0;

    // The machine's own file system.
    static const FileSystem& local();
};
