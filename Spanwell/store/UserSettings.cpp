#include "store/UserSettings.h"

#include "LogCategories.h"
#include "files/RegularFile.h"
#include "store/RuntimeFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cerrno>
#include <functional>
#include <memory>
#include <optional>
#include <sys/stat.h>

namespace {

// Far more than any number of hidden accounts and choices take.
constexpr qint64 largestFile = 1024 * 1024;
const QString copyName = QStringLiteral("Spanwell.conf");

// The file's contents, and whether it may be written: only a regular file of at most 1 MiB is
// read; a missing one, or a link to nothing, starts empty and may be written; anything else is
// left alone.
struct Stored {
    QByteArray contents;
    bool mayWrite = true;
};

Stored readFile(const QString& path) {
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

// What QSettings made of a file's contents, and of the change asked of it.
struct Parsed {
    QHash<QString, QVariant> values;
    QByteArray contents;
};

// QSettings reads and writes the file it is given itself, following links and waiting on a
// named pipe; so it is given a copy, for the moment, in a folder of this process's own (in
// memory on most desktops, where making and removing files costs next to nothing).
std::optional<Parsed> throughCopy(const QByteArray& contents,
                                  const std::function<void(QSettings&)>& edit) {
    const QString runtime = RuntimeFolder::path();
    const auto folder =
        RuntimeFolder::isPrivate(runtime)
            ? std::make_unique<QTemporaryDir>(runtime + QStringLiteral("/settings-XXXXXX"))
            : std::make_unique<QTemporaryDir>();
    if (!folder->isValid())
        return std::nullopt;
    folder->setAutoRemove(false);
    const QString path = folder->filePath(copyName);
    std::optional<Parsed> parsed;
    QFile copy(path);
    if (copy.open(QIODevice::WriteOnly) && copy.write(contents) == contents.size() &&
        copy.flush()) {
        copy.close();
        QSettings settings(path, QSettings::IniFormat);
        if (edit)
            edit(settings);
        settings.sync();
        const std::optional<QByteArray> written = RegularFile::read(path, largestFile);
        if (settings.status() == QSettings::NoError && written) {
            parsed = Parsed{{}, *written};
            for (const QString& key : settings.allKeys())
                parsed->values.insert(key, settings.value(key));
        }
    }
    // The folder holds the copy alone, which is quicker to remove than walking the folder.
    if (!QFile::remove(path) || !QDir().rmdir(folder->path()))
        folder->remove();
    return parsed;
}

} // namespace

namespace SettingValue {

bool read(const QVariant& stored, bool byDefault) {
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    const QString text = stored.typeId() == QMetaType::QString ? stored.toString() : QString();
    if (text == QLatin1String("true") || text == QLatin1String("false"))
        return text == QLatin1String("true");
    return byDefault;
}

int read(const QVariant& stored, int byDefault) {
    if (stored.typeId() == QMetaType::Int)
        return stored.toInt();
    bool isNumber = false;
    const int number =
        stored.typeId() == QMetaType::QString ? stored.toString().toInt(&isNumber) : 0;
    return isNumber ? number : byDefault;
}

QString read(const QVariant& stored, const QString& byDefault) {
    return stored.typeId() == QMetaType::QString ? stored.toString() : byDefault;
}

QStringList read(const QVariant& stored, const QStringList& byDefault) {
    if (stored.typeId() == QMetaType::QString)
        return {stored.toString()};
    return stored.typeId() == QMetaType::QStringList ? stored.toStringList() : byDefault;
}

QByteArray read(const QVariant& stored, const QByteArray& byDefault) {
    if (stored.typeId() == QMetaType::QString)
        return stored.toString().toUtf8();
    return stored.typeId() == QMetaType::QByteArray ? stored.toByteArray() : byDefault;
}

} // namespace SettingValue

QString UserSettings::defaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Spanwell/Spanwell.conf");
}

UserSettings::UserSettings(QString file, QObject* parent)
    : QObject(parent)
    , path(std::move(file)) {
    const Stored stored = readFile(path);
    leftAlone = !stored.mayWrite;
    if (leftAlone)
        return;
    if (const std::optional<Parsed> parsed = throughCopy(stored.contents, {}))
        values = parsed->values;
    else
        qCWarning(storeLog) << "The settings could not be copied to a temporary folder to be "
                               "read; Spanwell starts from the default settings";
}

void UserSettings::change(const QString& key, const QVariant& value) {
    if (value.isValid() ? values.value(key) == value : !values.contains(key))
        return;
    if (value.isValid())
        values.insert(key, value);
    else
        values.remove(key);
    write(key, value);
    emit changed(key);
}

// Into the file as it is now, so that what another program wrote there meanwhile stays.
void UserSettings::write(const QString& key, const QVariant& value) {
    if (leftAlone)
        return;
    const Stored current = readFile(path);
    if (!current.mayWrite) {
        leftAlone = true;
        return;
    }
    const std::optional<Parsed> parsed = throughCopy(current.contents, [&](QSettings& settings) {
        if (value.isValid())
            settings.setValue(key, value);
        else
            settings.remove(key);
    });
    if (!parsed) {
        qCWarning(storeLog) << "The settings could not be copied to a temporary folder to be "
                               "written; the change to"
                            << key << "lasts until Spanwell ends";
        return;
    }
    if (parsed->contents == current.contents)
        return;
    if (const RegularFile::Written written =
            RegularFile::replaceMakingFolders(path, parsed->contents);
        !written)
        qCWarning(storeLog).noquote()
            << QStringLiteral("The settings could not be written to %1: %2; the change to %3 "
                              "lasts until Spanwell ends")
                   .arg(path, written.failure, key);
}

// Its meta-object is compiled here rather than beside the store's: the executable reads the
// settings, and must not link the store, and Qt Network with it, through a shared object file.
#include "moc_UserSettings.cpp"
