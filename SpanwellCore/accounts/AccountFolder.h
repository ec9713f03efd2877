#pragma once

#include "accounts/FileSystem.h"

#include <QString>

#include <optional>

// Names for the configuration folder of a new account: ".claude-" and a short name the user
// types, and the verdict on whether that folder may be used.
namespace AccountFolder {

// The verdict on a typed name.
class Check {
public:
    enum class Kind { ok, invalid, taken };

    static Check ok(QString path, bool isDefault) { return Check(Kind::ok, path, isDefault); }
    // `message` is shown to the user word for word.
    static Check invalid(QString message) { return Check(Kind::invalid, message, false); }
    // The folder exists and `email` is already signed in to it.
    static Check taken(QString email) { return Check(Kind::taken, email, false); }

    Kind kind() const { return checkKind; }
    bool isOk() const { return checkKind == Kind::ok; }
    // The path of `ok`; empty otherwise.
    QString path() const { return checkKind == Kind::ok ? text : QString(); }
    bool isDefault() const { return defaultFolder; }
    // The message of `invalid`; empty otherwise.
    QString message() const { return checkKind == Kind::invalid ? text : QString(); }
    // The e-mail of `taken`; empty otherwise.
    QString email() const { return checkKind == Kind::taken ? text : QString(); }

    bool operator==(const Check&) const = default;

private:
    Check(Kind kind, QString payload, bool isDefault)
        : checkKind(kind)
        , text(std::move(payload))
        , defaultFolder(isDefault) {}

    Kind checkKind;
    QString text;
    bool defaultFolder;
};

// The e-mail signed in to a folder, read from its account file; absent when there is none or
// it is empty. For the default folder `configDir` is ignored and the file beside it is read.
std::optional<QString> signedInEmail(const QString& configDir, bool isDefault, const QString& home,
                                     const FileSystem& fileSystem);

// Lower case, spaces to "-", only a-z, 0-9 and "-" kept, runs of "-" folded, no "-" at the ends.
QString normalized(const QString& typed);
// home + "/.claude-" + the normalised name; not validated.
QString path(const QString& typed, const QString& home);
Check check(const QString& typed, const QString& home, const FileSystem& fileSystem);
// The verdict of `check` when the typed text alone decides it (nothing usable is left, or too
// much); absent when the folder must be looked at. Touches no file.
std::optional<Check> invalidName(const QString& typed);
// No account is signed in to the default folder.
bool defaultIsFree(const QString& home, const FileSystem& fileSystem);
// The command line that runs Claude Code on a folder, e.g. "CLAUDE_CONFIG_DIR=~/.claude-work
// claude"; nothing is quoted.
QString command(const QString& configDir, bool isDefault, const QString& home);

} // namespace AccountFolder
