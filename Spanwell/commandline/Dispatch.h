#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The ways the executable can run, told apart from its command line alone.
struct Mode {
    enum class Kind {
        signInPicture, // `phase` and `path`: the sign-in window drawn to a PNG file
        iconFiles,     // `path`: the folder that receives the icon files
        panelPicture,  // `path` and the picture's options: the panel drawn to a PNG file
        renewalCheck,  // every account's sign-in renewed, one line each
        help,          // every mode and option, one line each
        version,       // the program's name and version
        status,        // `statusFormat` and `maxAgeSeconds`: every tracked account's figures
        best,          // `printCommand` and `maxAgeSeconds`: the account to work in now
        refresh,       // the figures brought up to date, by the tray program if it runs
        addAccount,    // the tray program, started if need be, opens its sign-in window
        statusLine,    // Claude Code's status line: its figures recorded, one line printed
        statusLineOn,  // Spanwell put into every tracked account's status line
        statusLineOff, // and taken out of it
        history,       // `historyFormat`, `sinceSeconds`, `account`: the readings kept
        historyJob,    // another run's work on the history, from standard input; not for users
        networkChild,  // another run's network calls, from standard input; not for users
        misused,       // `problem`: an unknown option, or one whose value cannot be taken
        normalStart,   // the tray item
    };
    enum class StatusFormat { text, json, waybar, argos, line };
    enum class HistoryFormat { text, csv, json };

    Kind kind = Kind::normalStart;
    QString phase;
    QString path;
    StatusFormat statusFormat = StatusFormat::text;
    bool printCommand = false;
    // Cached figures older than this are refreshed first; with 0 they always are.
    double maxAgeSeconds = 60;
    QString problem{};
    // The panel picture: the dark colours, the demo accounts, the text after "--open" (the
    // position of the row drawn open), every row drawn open.
    bool dark = false;
    bool demo = false;
    std::optional<QString> open{};
    bool expandAll = false;
    // The history: how far back, the text after "--account" (an account's folder), the form.
    double sinceSeconds = 7 * 86400;
    std::optional<QString> account{};
    HistoryFormat historyFormat = HistoryFormat::text;

    bool operator==(const Mode&) const = default;
};

namespace Dispatch {

// Reads the command line once: every option must be known, and every option that takes a
// value must have one (`misused` otherwise). `--help` and `--version` win over everything; of
// the other modes the first in a fixed order wins. `arguments` starts with the program path.
Mode choose(const QStringList& arguments);

} // namespace Dispatch
