#include "notifications/AnnouncementRecords.h"

#include "LogCategories.h"
#include "files/RegularFile.h"
#include "store/StateFolder.h"

#include <QFileInfo>

#include <optional>

namespace {

// Far more than the records of any number of accounts' limits take.
constexpr qint64 largestFile = 4 * 1024 * 1024;

} // namespace

namespace AnnouncementRecords {

QString defaultPath() {
    return StateFolder::path() + QStringLiteral("/announced.json");
}

QByteArray read(const QString& path, UserSettings& settings) {
    const QByteArray former = settings.value(Settings::formerAnnouncements);
    const bool stored = QFileInfo(path).exists();
    if (!stored && !former.isEmpty() && !write(path, former))
        return former;
    settings.remove(Settings::formerAnnouncements);
    return stored ? RegularFile::read(path, largestFile).value_or(QByteArray()) : former;
}

bool write(const QString& path, const QByteArray& records) {
    const RegularFile::Written written = RegularFile::replaceMakingFolders(path, records);
    if (!written)
        qCWarning(notificationsLog).noquote()
            << QStringLiteral("What was announced could not be written to %1: %2")
                   .arg(path, written.failure);
    return bool(written);
}

} // namespace AnnouncementRecords
