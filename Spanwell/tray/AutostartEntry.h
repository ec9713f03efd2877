#pragma once

#include "files/RegularFile.h"

#include <QString>

// Opening at login through the desktop's autostart folder: the program is registered exactly
// when its desktop entry is there.
class AutostartEntry {
public:
    // The entry for `program` (an absolute path) in `folder`.
    AutostartEntry(QString folder, QString program);
    // The running program in the user's autostart folder.
    static AutostartEntry forThisProgram();

    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that is unset or not absolute.
    static QString defaultFolder();
    // The entry's text: the program started without arguments.
    static QByteArray contents(const QString& program);

    QString path() const;
    bool isRegistered() const;
    // Writes the entry whole or not at all, making the folder when it is missing.
    RegularFile::Written registerEntry() const;
    // Done when no entry is left.
    RegularFile::Written unregister() const;

private:
    QString folder;
    QString program;
};
