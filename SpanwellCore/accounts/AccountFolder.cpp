#include "accounts/AccountFolder.h"

#include "accounts/AccountFile.h"

namespace {
constexpr qsizetype longestName = 24;
} // namespace

namespace AccountFolder {

std::optional<QString> signedInEmail(const QString& configDir, bool isDefault, const QString& home,
                                     const FileSystem& fileSystem) {
    const std::optional<QJsonObject> signedIn =
        AccountFile::signedInAccount(configDir, isDefault, home, fileSystem);
    if (!signedIn)
        return std::nullopt;
    const QString email = signedIn->value(QLatin1String("emailAddress")).toString();
    if (email.isEmpty())
        return std::nullopt;
    return email;
}

QString normalized(const QString& typed) {
    const QString lowered = typed.toLower();
    QString kept;
    kept.reserve(lowered.size());
    for (const QChar character : lowered) {
        const QChar replaced = character == QLatin1Char(' ') ? QLatin1Char('-') : character;
        const bool allowed = (replaced >= QLatin1Char('a') && replaced <= QLatin1Char('z')) ||
                             (replaced >= QLatin1Char('0') && replaced <= QLatin1Char('9')) ||
                             replaced == QLatin1Char('-');
        if (allowed)
            kept.append(replaced);
    }
    while (kept.contains(QLatin1String("--")))
        kept.replace(QLatin1String("--"), QLatin1String("-"));
    while (kept.startsWith(QLatin1Char('-')))
        kept.remove(0, 1);
    while (kept.endsWith(QLatin1Char('-')))
        kept.chop(1);
    return kept;
}

QString path(const QString& typed, const QString& home) {
    return home + QLatin1String("/.claude-") + normalized(typed);
}

std::optional<Check> invalidName(const QString& typed) {
    const QString name = normalized(typed);
    if (name.isEmpty())
        return Check::invalid(QStringLiteral("Type a short name, like work or personal."));
    if (name.size() > longestName)
        return Check::invalid(QStringLiteral("Use 24 characters or fewer."));
    return std::nullopt;
}

Check check(const QString& typed, const QString& home, const FileSystem& fileSystem) {
    if (std::optional<Check> invalid = invalidName(typed))
        return *invalid;
    const QString folder = path(typed, home);
    if (!fileSystem.exists(folder))
        return Check::ok(folder, false);
    if (!fileSystem.isFolder(folder))
        return Check::invalid(
            QStringLiteral("Something that is not a folder already uses that name."));
    if (const std::optional<QString> email = signedInEmail(folder, false, home, fileSystem))
        return Check::taken(*email);
    return Check::ok(folder, false);
}

bool defaultIsFree(const QString& home, const FileSystem& fileSystem) {
    return !signedInEmail(home + QLatin1String("/.claude"), true, home, fileSystem);
}

QString command(const QString& configDir, bool isDefault, const QString& home) {
    if (isDefault)
        return QStringLiteral("claude");
    const QString prefix = home + QLatin1Char('/');
    const QString shown = configDir.startsWith(prefix)
                              ? QLatin1String("~/") + configDir.mid(prefix.size())
                              : configDir;
    return QStringLiteral("CLAUDE_CONFIG_DIR=") + shown + QStringLiteral(" claude");
}

} // namespace AccountFolder
