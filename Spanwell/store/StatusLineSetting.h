#pragma once

#include <QString>

// Spanwell in Claude Code's status line: the "statusLine" setting in an account folder's
// settings.json names the command Claude Code runs after each reply, whose first line shows
// under its prompt. The user's settings stay as they were: every other key, their order, the
// file's spacing and its mode. A settings.json that is a link (kept in a dotfiles repository)
// is written through to the file it leads to, when that is a regular file of the user's, and
// stays a link.
namespace StatusLineSetting {

enum class Outcome {
    added,
    alreadyThere,
    removed,
    notThere,
    // Each of these leaves the file as it was.
    ownStatusLine,
    notJsonObject,
    notUsersFile,
    notRead,
    notEditable,
    notWritten,
};

// What Claude Code is to run: the program at this absolute path, quoted for the shell where it
// needs it, with "--statusline".
QString command(const QString& programPath);

// Sets the folder's status line to `command` where it has none or one that runs Spanwell from
// elsewhere; makes settings.json where there is none.
Outcome install(const QString& configDir, const QString& command);
// Takes out the status line that runs Spanwell, exactly as `install` put it in; a settings.json
// that `install` made and that holds nothing else goes with it.
Outcome remove(const QString& configDir);
// The folder's status line runs Spanwell.
bool isInstalled(const QString& configDir);

// The folder ends as asked: Spanwell in its status line, or out of it.
bool succeeded(Outcome outcome);
// One sentence for the user.
QString sentence(Outcome outcome);

} // namespace StatusLineSetting
