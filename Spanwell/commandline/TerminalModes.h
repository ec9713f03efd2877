#pragma once

#include "accounts/FileSystem.h"
#include "commandline/Dispatch.h"
#include "commandline/TerminalStyle.h"
#include "model/Instant.h"
#include "store/Entry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What the modes for terminals and status bars print, and the status they end with.
namespace TerminalModes {

struct Outcome {
    int exitStatus = 0;
    QByteArray output;
    QByteArray errors;
};

// Where a run prints: the home folder, its folders whose names are not valid UTF-8, the style
// of the table, and the program's own path, which a status bar's menu runs.
struct Surroundings {
    QString home;
    QStringList unreadableFolders;
    TableStyle table;
    QString program;
};

// This run's: `home`'s folders that cannot be read, standard output's style, this executable.
Surroundings surroundingsOf(const QString& home, const FileSystem& fileSystem);

// The accounts as a table, a JSON document, a waybar line, an Argos menu or one plain line; the
// table names after its lines the folders whose names are not valid UTF-8.
Outcome status(const Mode& mode, const QList<Entry>& entries, Instant now,
               const Surroundings& surroundings);
// The folder of the account best usable now, or the command that starts Claude Code in it. When
// none is, which comes back first, and when.
Outcome best(const Mode& mode, const QList<Entry>& entries, Instant now);
// Either of the two, by the mode.
Outcome figures(const Mode& mode, const QList<Entry>& entries, Instant now,
                const Surroundings& surroundings);

// Writes the outcome to standard output and error; its exit status.
int finish(const Outcome& outcome);

} // namespace TerminalModes
