#include "accounts/FileSystem.h"

#include "files/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

#include <dirent.h>
#include <unistd.h>

namespace {

// Claude Code's account file grows with the history of every project; past this size a file
// counts as unreadable rather than filling memory.
constexpr qint64 largestFile = qint64(256) * 1024 * 1024;

class LocalFileSystem final : public FileSystem {
public:
    // Read directly: Qt leaves out a name that is not valid UTF-8, which is listed here
    // decoded with replacement characters.
    std::optional<QStringList> entryNames(const QString& folder) const override {
        const std::unique_ptr<DIR, int (*)(DIR*)> directory(
            ::opendir(QFile::encodeName(folder).constData()), ::closedir);
        if (!directory)
            return std::nullopt;
        QStringList names;
        while (const dirent* entry = ::readdir(directory.get())) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(QFile::decodeName(name));
        }
        return names;
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
