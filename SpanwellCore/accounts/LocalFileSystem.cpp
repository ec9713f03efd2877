#include "accounts/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

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
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return std::nullopt;
        // Read in pieces: one read of many megabytes runs in the kernel from start to end, and
        // on a kernel that does not preempt there, holds up every other thread on its processor,
        // the interface among them.
        constexpr qint64 pieceSize = 256 * 1024;
        QByteArray bytes(file.size(), Qt::Uninitialized);
        qint64 filled = 0;
        while (true) {
            if (filled == bytes.size())
                bytes.resize(filled + pieceSize);
            const qint64 count =
                file.read(bytes.data() + filled, std::min(pieceSize, bytes.size() - filled));
            if (count < 0)
                return std::nullopt;
            if (count == 0)
                break;
            filled += count;
        }
        bytes.truncate(filled);
        return bytes;
    }
};

} // namespace

const FileSystem& FileSystem::local() {
    static const LocalFileSystem instance;
    return instance;
}
