#include "store/HiddenAccountFolders.h"

#include <QStringList>

#include <algorithm>

namespace HiddenAccountFolders {

QSet<QString> read(QSettings& settings) {
    const QVariant value = settings.value(settingsKey);
    // The settings file writes a list of one text exactly like a single text, so both read
    // as a list.
    if (value.typeId() == QMetaType::QString)
        return {value.toString()};
    if (value.typeId() != QMetaType::QStringList)
        return {};
    const QStringList folders = value.toStringList();
    return QSet<QString>(folders.begin(), folders.end());
}

void write(QSettings& settings, const QSet<QString>& folders) {
    QStringList sorted(folders.begin(), folders.end());
    std::sort(sorted.begin(), sorted.end());
    settings.setValue(settingsKey, sorted);
    settings.sync();
}

} // namespace HiddenAccountFolders
