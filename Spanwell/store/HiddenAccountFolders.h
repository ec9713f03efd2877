#pragma once

#include "store/UserSettings.h"

#include <QSet>
#include <QString>

// The folders of the accounts the user chose to stop tracking, kept in the user's settings as
// a sorted list without duplicates.
namespace HiddenAccountFolders {

QSet<QString> read(const UserSettings& settings);
void write(UserSettings& settings, const QSet<QString>& folders);

} // namespace HiddenAccountFolders
