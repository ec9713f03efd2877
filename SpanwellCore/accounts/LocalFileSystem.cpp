#include "accounts/FileSystem.h"

#include "accounts/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

// Claude Code's account file grows with the history of every project; past this size a file
// counts as unreadable rather than filling memory.
constexpr qint64 largestFile = qint64(256) * 1024 * 1024;

class LocalFileSystem final : public FileSystem {
public:
    std::optional<QStringList> entryNames(const QString& folder) const override {
        const QDir directory(folder);
        if (!directory.exists() || !directory.isReadable())
            return std::nullopt;
        return directory.entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    }

    bool exists(const QString& path) const override { return QFileInfo::exists(path); }

    bool isFolder(const QString& path) const override { return QFileInfo(path).isDir(); }

    bool isExecutableFile(const QString& path) const override {
        const QFileInfo info(path);
        // access() answers for the real user, root included, as the kernel will at exec time.
        return info.isFile() && ::access(QFile::encodeName(path).constData(), X_OK) == 0;
    }

    std::optional<QByteArray> contents(const QString& path) const override {
        return RegularFile::read(path, largestFile);
    }
};

} // namespace

const FileSystem& FileSystem::local() {
    static const LocalFileSystem instance;
    return instance;
}
