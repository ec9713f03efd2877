#pragma once

#include "files/RegularFile.h"

#include <QString>

#include <optional>

// Opening at login through the desktop's autostart folder: the program is registered exactly
// when its desktop entry is there. The entry starts the program by its name when the search
// path finds it under that name, as it finds the installed package's, so that the entry follows
// the program wherever an update puts it; otherwise by its absolute path.
class AutostartEntry {
public:
    // The entry for `program` (an absolute path) in `folder`, with `searchPath` the folders,
    // separated by colons, where a program is looked for by name.
    AutostartEntry(QString folder, QString program, QString searchPath = {});
    // The running program in the user's autostart folder, with the environment's PATH.
    static AutostartEntry forThisProgram();

    // $XDG_CONFIG_HOME/autostart, or ~/.config/autostart when that is unset or not absolute.
    static QString defaultFolder();
    // The entry's text: the program started without arguments, by `command`.
    static QByteArray contents(const QString& command);
    // "spanwell" when the search path finds the program first under that name, else its path.
    QString command() const;
    // The program an entry's text starts, looked for on the search path when it is named
    // without a folder; empty when it names none or none is found.
    QString startedProgram(const QByteArray& contents) const;

    QString path() const;
    bool isRegistered() const;
    // Writes the entry whole or not at all, making the folder when it is missing.
    RegularFile::Written registerEntry() const;
    // Done when no entry is left.
    RegularFile::Written unregister() const;
    // An entry that starts a program that is no longer there (one since moved or removed) is
    // written afresh for this one; absent when none needed it.
    std::optional<RegularFile::Written> repair() const;

private:
    // The executable file of that name the search path finds first; empty when there is none.
    QString found(const QString& name) const;

    QString folder;
    QString program;
    QString searchPath;
};
