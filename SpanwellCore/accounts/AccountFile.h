#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

class FileSystem;

// Claude Code's account file ".claude.json": the "oauthAccount" object that names who is
// signed in to a configuration folder.
namespace AccountFile {

inline constexpr char fileName[] = ".claude.json";

// The file of a folder: beside the default folder in the home folder, inside every other one.
QString path(const QString& configDir, bool isDefault, const QString& home);

// The "oauthAccount" object with a string "emailAddress"; absent when the bytes are not such
// a document.
std::optional<QJsonObject> signedInAccount(const QByteArray& contents);
// The same, of the folder's file as `fileSystem` reads it; absent too when it cannot be read.
std::optional<QJsonObject> signedInAccount(const QString& configDir, bool isDefault,
                                           const QString& home, const FileSystem& fileSystem);

} // namespace AccountFile
