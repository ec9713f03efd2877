#pragma once

#include <QSet>
#include <QSettings>
#include <QString>

// The folders of the accounts the user chose to stop tracking, kept in the user's settings
// under "hiddenAccountFolders" as a sorted list without duplicates.
namespace HiddenAccountFolders {

inline const QString settingsKey = QStringLiteral("hiddenAccountFolders");

// Empty when the key is missing or holds anything but a list of texts.
QSet<QString> read(QSettings& settings);
void write(QSettings& settings, const QSet<QString>& folders);

} // namespace HiddenAccountFolders
