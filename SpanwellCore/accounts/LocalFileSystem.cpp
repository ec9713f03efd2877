#include "accounts/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

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
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }
};

} // namespace

const FileSystem& FileSystem::local() {
    static const LocalFileSystem instance;
    return instance;
}
