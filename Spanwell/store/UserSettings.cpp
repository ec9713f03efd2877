#include "store/UserSettings.h"

#include "LogCategories.h"
#include "files/RegularFile.h"
#include "store/RuntimeFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <sys/stat.h>

namespace {

// Far more than any number of hidden accounts and notification records take.
constexpr qint64 largestFile = 1024 * 1024;
const QString copyName = QStringLiteral("Spanwell.conf");
// /dev/null is no folder, so nothing below it can be read or made: settings there live in
// memory alone.
const QString nowhere = QStringLiteral("/dev/null/Spanwell.conf");

// QSettings reads and writes the file it is given itself, following links and waiting on a
// named pipe; so it is given a copy in a folder of this process's own, and what it writes there
// is carried over to the real file.
class CopiedSettings final : public QSettings {
public:
    CopiedSettings(std::unique_ptr<QTemporaryDir> copyFolder, QString settingsPath,
                   UserSettings::Stored readFromFile)
        : QSettings(copyFolder->filePath(copyName), QSettings::IniFormat)
        , folder(std::move(copyFolder))
        , path(std::move(settingsPath))
        , stored(std::move(readFromFile)) {}

    ~CopiedSettings() override {
        sync();
        const std::optional<QByteArray> written = RegularFile::read(fileName(), largestFile);
        if (written && *written != stored.contents) {
            QDir().mkpath(QFileInfo(path).path());
            if (!RegularFile::replace(path, *written))
                qCWarning(storeLog) << "The settings could not be written to" << path;
        }
        // The folder holds the copy alone, which is quicker to remove than walking the folder.
        if (!QFile::remove(fileName()) || !QDir().rmdir(folder->path()))
            folder->remove();
    }

private:
    std::unique_ptr<QTemporaryDir> folder;
    QString path;
    UserSettings::Stored stored;
};

} // namespace

namespace UserSettings {

QString defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Spanwell/Spanwell.conf");
}

Stored read(const QString& path) {
    if (std::optional<QByteArray> contents = RegularFile::read(path, largestFile))
        return {std::move(*contents), true};
    struct stat status {};
    const bool missing =
        ::lstat(QFile::encodeName(path).constData(), &status) != 0 && errno == ENOENT;
    if (missing || S_ISLNK(status.st_mode))
        return {};
    qCWarning(storeLog) << "The settings file" << path
                        << "is not a regular file of at most 1 MiB that can be read; Spanwell uses "
                           "the default settings and leaves the file as it is";
    return {{}, false};
}

std::unique_ptr<QSettings> open(const QString& path) {
    const QString file = path.isEmpty() ? defaultPath() : path;
    Stored stored = read(file);
    if (!stored.mayWrite)
        return std::make_unique<QSettings>(nowhere, QSettings::IniFormat);
    // In memory on most desktops, where making and removing files costs next to nothing.
    const QString runtime = RuntimeFolder::path();
    auto copyFolder =
        RuntimeFolder::isPrivate(runtime)
            ? std::make_unique<QTemporaryDir>(runtime + QStringLiteral("/settings-XXXXXX"))
            : std::make_unique<QTemporaryDir>();
    QFile copy(copyFolder->filePath(copyName));
    if (!copyFolder->isValid() || !copy.open(QIODevice::WriteOnly) ||
        copy.write(stored.contents) != stored.contents.size()) {
        qCWarning(storeLog) << "The settings could not be copied to a temporary folder; Spanwell "
                               "uses the default settings and keeps changes in memory";
        return std::make_unique<QSettings>(nowhere, QSettings::IniFormat);
    }
    copy.close();
    // Removed by the settings, more quickly.
    copyFolder->setAutoRemove(false);
    return std::make_unique<CopiedSettings>(std::move(copyFolder), file, std::move(stored));
}

} // namespace UserSettings
