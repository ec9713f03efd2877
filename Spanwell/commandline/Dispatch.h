#pragma once

#include <QString>
#include <QStringList>

// The ways the executable can run, told apart from its command line alone.
struct Mode {
    enum class Kind {
        signInPicture, // `phase` and `path`: the sign-in window drawn to a PNG file
        iconFiles,     // `path`: the folder that receives the icon files
        panelPicture,  // `path`: the panel drawn to a PNG file
        renewalCheck,  // every account's sign-in renewed, one line each
        help,          // every mode and option, one line each
        version,       // the program's name and version
        status,        // `statusFormat` and `maxAgeSeconds`: every tracked account's figures
        best,          // `printCommand` and `maxAgeSeconds`: the account to work in now
        refresh,       // the figures brought up to date, by the tray program if it runs
        misused,       // `problem`: an option's value that cannot be taken
        normalStart,   // the tray item
    };
    enum class StatusFormat { text, json, waybar };

    Kind kind = Kind::normalStart;
    QString phase;
    QString path;
    StatusFormat statusFormat = StatusFormat::text;
    bool printCommand = false;
    // Cached figures older than this are refreshed first; with 0 they always are.
    double maxAgeSeconds = 60;
    QString problem{};

    bool operator==(const Mode&) const = default;
};

namespace Dispatch {

// Tests the modes in a fixed order and takes the first that applies. An option that lacks
// its value counts as not given. `arguments` starts with the program path.
Mode choose(const QStringList& arguments);

} // namespace Dispatch
