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
        normalStart,   // the tray item
    };

    Kind kind = Kind::normalStart;
    QString phase;
    QString path;

    bool operator==(const Mode&) const = default;
};

namespace Dispatch {

// Tests the modes in a fixed order and takes the first that applies. An option that lacks
// its value counts as not given. `arguments` starts with the program path.
Mode choose(const QStringList& arguments);

} // namespace Dispatch
