#include "store/HiddenAccountFolders.h"

#include <QStringList>

#include <algorithm>

namespace HiddenAccountFolders {

QSet<QString> read(const UserSettings& settings) {
    const QStringList folders = settings.value(Settings::hiddenAccountFolders);
    return QSet<QString>(folders.begin(), folders.end());
}

void write(UserSettings& settings, const QSet<QString>& folders) {
    QStringList sorted(folders.begin(), folders.end());
    std::sort(sorted.begin(), sorted.end());
    settings.setValue(Settings::hiddenAccountFolders, sorted);
}

} // namespace HiddenAccountFolders
