#pragma once

#include "accounts/FileSystem.h"
#include "model/HistoryReading.h"
#include "model/Instant.h"

#include <QByteArray>
#include <QSet>
#include <QString>

// Claude Code's status-line command, `spanwell --statusline`: records the figures Claude Code
// reports for the account it runs in, for the tray program and the status runs to show, and
// prints one line for Claude Code to show under its prompt. It never asks the network; it
// always prints a line and ends with 0, since Claude Code blanks the line on anything else.
namespace StatusLineMode {

// What a run depends on besides its input.
struct Surroundings {
    QString home;
    // CLAUDE_CONFIG_DIR, which names the folder Claude Code runs in; empty for ~/.claude.
    QString configDir;
    bool colours = true;
    QString cachePath;
    // The folders of the accounts the user stopped tracking.
    QSet<QString> hidden;
    Instant now;
    // The history file, where the readings are kept once the line is printed, and how many
    // days it keeps them; none keeps none.
    QString historyPath = {};
    int historyDays = 0;

    // This process's home folder, environment, cache, settings and history, and the present.
    static Surroundings ofThisProcess();
};

// What a run prints, and the readings it took that the history should keep, which it writes
// once the line is out.
struct Outcome {
    // With its line feed.
    QByteArray line;
    QList<HistoryReading> readings;
};

// Records the figures `input` reports when it names a tracked account's folder (~/.claude or
// ~/.claude-NAME, links followed), and gives the line to print. An input without valid
// figures, or for a folder that is no tracked account's, changes nothing.
Outcome run(const QByteArray& input, const Surroundings& surroundings,
            const FileSystem& fileSystem);

// Standard input up to `StatusLineInput::largestInput`, then read to its end and thrown away,
// so that the writer is never left waiting; what came within a few seconds. Nothing from a
// terminal, which has no end.
QByteArray readStandardInput();

} // namespace StatusLineMode
