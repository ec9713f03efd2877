#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// A throw-away home folder with Claude Code account folders in it, removed when it goes.
class TemporaryHome {
public:
    TemporaryHome();

    // The home path, without a trailing slash.
    QString path() const;
    // home + "/" + relative path.
    QString pathOf(const QString& relativePath) const;

    // Creates home/relativePath with any missing parents and returns its path.
    QString makeFolder(const QString& relativePath) const;
    // Writes a file (and its parent folders) below the home folder and returns its path.
    QString writeFile(const QString& relativePath, const QByteArray& contents) const;
    // Writes an executable file (a stand-in script) and returns its path.
    QString writeExecutable(const QString& relativePath, const QByteArray& contents) const;

    // Strange things where a file is expected, each with its parent folders: a named pipe, a
    // symbolic link to `target`, a sparse file of `size` bytes. Each returns its path.
    QString makeNamedPipe(const QString& relativePath) const;
    QString makeLink(const QString& relativePath, const QString& target) const;
    QString makeSparseFile(const QString& relativePath, qint64 size) const;

    // Makes the folder and writes its account file where Claude Code keeps it: beside the
    // default folder ".claude", inside every other folder. Returns the folder's path.
    QString addAccount(const QString& folderName, const QString& email,
                       const std::optional<QString>& organization = std::nullopt,
                       const std::optional<QString>& planDisplayName = std::nullopt) const;

private:
    // home/relativePath, after making its parent folders.
    QString withParents(const QString& relativePath) const;

    QTemporaryDir directory;
};

// The whole file; empty when it is missing or cannot be read.
QByteArray readFile(const QString& path);
