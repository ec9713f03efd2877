#include "accounts/ClaudeCLI.h"

#include "model/CodePointOrder.h"
#include "process/ChildProcess.h"

#include <QDir>

#include <algorithm>
#include <vector>

#include <pwd.h>
#include <unistd.h>

namespace {

// The login name from the password database, not from the environment, which a child
// must not inherit anything from.
QString loginName() {
    long bufferSize = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<size_t>(bufferSize > 0 ? bufferSize : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    return QString::fromLocal8Bit(found->pw_name);
}

} // namespace

namespace ClaudeCLI {

QStringList candidates(const QString& home, const FileSystem& fileSystem,
                       const QString& searchPath) {
    QStringList paths{
        home + QStringLiteral("/.local/bin/claude"),
        home + QStringLiteral("/.claude/local/claude"),
        QStringLiteral("/opt/homebrew/bin/claude"),
        QStringLiteral("/usr/local/bin/claude"),
        home + QStringLiteral("/.npm-global/bin/claude"),
        home + QStringLiteral("/.volta/bin/claude"),
        home + QStringLiteral("/.bun/bin/claude"),
    };
    const QString nodeVersions = home + QStringLiteral("/.nvm/versions/node");
    QStringList versions = fileSystem.entryNames(nodeVersions).value_or(QStringList());
    // Descending code-point order, not version order: 9.0.0 comes before 22.1.0.
    std::sort(versions.begin(), versions.end(), [](const QString& first, const QString& second) {
        return CodePointOrder::less(second, first);
    });
    for (const QString& version : std::as_const(versions))
        paths.append(nodeVersions + QLatin1Char('/') + version + QStringLiteral("/bin/claude"));
    // Claude Code installed through a distribution's Node.js, or Homebrew on Linux, lands in
    // places the list above does not name. An empty or relative entry would mean the working
    // folder, which the program does not choose, so only absolute ones count.
    for (const QString& folder : searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (folder.startsWith(QLatin1Char('/')))
            paths.append(folder + (folder.endsWith(QLatin1Char('/')) ? QStringLiteral("claude")
                                                                     : QStringLiteral("/claude")));
    paths.append(QStringLiteral("/usr/bin/claude"));
    return paths;
}

std::optional<QString> path() {
    const FileSystem& fileSystem = FileSystem::local();
    for (const QString& candidate :
         candidates(QDir::homePath(), fileSystem, qEnvironmentVariable("PATH")))
        if (fileSystem.isExecutableFile(candidate))
            return candidate;
    return std::nullopt;
}

QProcessEnvironment environment(const QString& claudePath,
                                const std::optional<QString>& configDir) {
    const qsizetype lastSlash = claudePath.lastIndexOf(QLatin1Char('/'));
    const QString folder = lastSlash >= 0 ? claudePath.left(lastSlash) : QString();

    QProcessEnvironment variables;
    variables.insert(QStringLiteral("HOME"), QDir::homePath());
    variables.insert(QStringLiteral("USER"), loginName());
    variables.insert(QStringLiteral("PATH"),
                     folder + QStringLiteral(":/usr/bin:/bin:/usr/sbin:/sbin"));
    variables.insert(QStringLiteral("LANG"), QStringLiteral("en_US.UTF-8"));
    if (configDir)
        variables.insert(QStringLiteral("CLAUDE_CONFIG_DIR"), *configDir);
    return variables;
}

bool renewSignIn(const QString& configDir, bool isDefault, double timeoutSeconds) {
    const std::optional<QString> claude = path();
    if (!claude)
        return false;
    ChildProcess::Request request;
    request.program = *claude;
    request.arguments = {QStringLiteral("auth"), QStringLiteral("status")};
    request.environment =
        environment(*claude, isDefault ? std::nullopt : std::optional<QString>(configDir));
    request.input = ChildProcess::Stream::nullDevice;
    request.output = ChildProcess::Stream::nullDevice;
    request.error = ChildProcess::Stream::nullDevice;
    request.timeoutSeconds = timeoutSeconds;
    return ChildProcess::run(request).succeeded();
}

} // namespace ClaudeCLI
