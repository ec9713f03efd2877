#pragma once

#include "store/UserSettings.h"

#include <QByteArray>
#include <QString>

// What was announced in each limit's window, as the announcer encodes it, kept across runs in
// the state folder. Earlier versions kept it in the settings file, from which it moves once.
namespace AnnouncementRecords {

// "announced.json" in the state folder.
QString defaultPath();

// The records at `path`, empty when there are none. While no file is there, records the
// settings hold are written to it first, and leave the settings once they are; they leave
// them too when the file is there already.
QByteArray read(const QString& path, UserSettings& settings);

// Replaces the file whole, making its folder when it is missing; false, with the reason in the
// log, when it could not be written.
bool write(const QString& path, const QByteArray& records);

} // namespace AnnouncementRecords
