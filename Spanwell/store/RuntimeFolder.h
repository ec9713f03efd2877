#pragma once

#include <QString>

// A folder for the program's short-lived files (the running copy's lock and socket, the private
// copy of the settings) that only the user may open: $XDG_RUNTIME_DIR when it is the user's own
// and closed to others (a folder in memory on most desktops), else "spanwell-" and the user's id
// in the temporary folder, made so when it is missing. One someone else made first fails
// `isPrivate`, and its users say so.
namespace RuntimeFolder {

QString path();

// Whether `folder` is a folder (a link is not) of this user's own that no one else may open.
bool isPrivate(const QString& folder);

} // namespace RuntimeFolder
