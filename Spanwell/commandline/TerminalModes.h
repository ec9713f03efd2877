#pragma once

#include "commandline/Dispatch.h"
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

// The accounts as a table, a JSON document or a waybar line; the table names after its lines
// the folders whose names are not valid UTF-8.
Outcome status(const Mode& mode, const QList<Entry>& entries, Instant now, const QString& home,
               const QStringList& unreadableFolders);
// The folder of the account best usable now, or the command that starts Claude Code in it.
Outcome best(const Mode& mode, const QList<Entry>& entries, Instant now);
// Either of the two, by the mode.
Outcome figures(const Mode& mode, const QList<Entry>& entries, Instant now, const QString& home,
                const QStringList& unreadableFolders);

// Writes the outcome to standard output and error; its exit status.
int finish(const Outcome& outcome);

} // namespace TerminalModes
