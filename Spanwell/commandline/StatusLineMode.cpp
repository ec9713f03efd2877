#include "commandline/StatusLineMode.h"

#include "LogCategories.h"
#include "accounts/Discovery.h"
#include "commandline/BestAccount.h"
#include "commandline/CachedEntries.h"
#include "commandline/StatusLineInput.h"
#include "commandline/StatusLineText.h"
#include "store/HiddenAccountFolders.h"
#include "store/Preferences.h"
#include "store/SnapshotCache.h"
#include "store/StateFolder.h"
#include "store/UserSettings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

// Claude Code writes its input at once and closes it; a writer that does not is not waited for
// longer than this.
constexpr int inputWaitMilliseconds = 3000;
// Claude Code runs its status line after every reply, mostly with the figures it gave last.
// Figures it reported this lately are not written again, which would only cost a write to disk
// and wake every reader of the cache.
constexpr double rewriteAfterSeconds = 30;

// The tracked account whose folder `configDir` names, links followed: the one of that very path
// where several lead to the same folder, else the first.
std::optional<Account> trackedAccount(const StatusLineMode::Surroundings& surroundings,
                                      const FileSystem& fileSystem) {
    const QString given = surroundings.configDir.isEmpty()
                              ? surroundings.home + QStringLiteral("/.claude")
                              : surroundings.configDir;
    const QString wanted = QFileInfo(given).canonicalFilePath();
    if (wanted.isEmpty())
        return std::nullopt;
    std::optional<QString> chosen;
    for (const QString& name : Discovery::folderNames(surroundings.home, fileSystem)) {
        const QString folder = surroundings.home + QLatin1Char('/') + name;
        if (surroundings.hidden.contains(folder) || QFileInfo(folder).canonicalFilePath() != wanted)
            continue;
        if (!chosen || folder == QDir::cleanPath(QFileInfo(given).absoluteFilePath()))
            chosen = name;
    }
    return chosen ? Discovery::account(surroundings.home, *chosen, fileSystem) : std::nullopt;
}

// Claude Code's report is a check that found figures, so whatever kept the last refresh from
// them is over. Taken under the cache's lock from what the file holds, the figures are the
// newest there are.
std::optional<Entry> recorded(const QString& cachePath, const Account& account,
                              const QList<LimitReading>& reported, Instant now) {
    Entry entry{account, std::nullopt, std::nullopt, now};
    const RegularFile::Written written =
        SnapshotCache::amend(cachePath, account.configDir, [&](const SnapshotCache::Record& last) {
            entry.snapshot = StatusLineInput::applied(last.snapshot, reported, now);
            return SnapshotCache::Record{entry.snapshot, std::nullopt, now};
        });
    if (!written) {
        qCWarning(storeLog).noquote()
            << QStringLiteral("Claude Code's figures could not be written to %1: %2")
                   .arg(cachePath, written.failure);
        return std::nullopt;
    }
    return entry;
}

// The cache holds these very figures from Claude Code, from lately, and no problem since.
bool isRecordedLately(const Entry& cached, const QList<LimitReading>& reported, Instant now) {
    if (!cached.snapshot || !cached.snapshot->fromClaudeCode || cached.problem)
        return false;
    const Instant fetchedAt = cached.snapshot->fetchedAt;
    return fetchedAt <= now && now - fetchedAt < rewriteAfterSeconds &&
           StatusLineInput::applied(cached.snapshot, reported, fetchedAt) == *cached.snapshot;
}

// The account best usable now, when it is another.
std::optional<Entry> another(const Entry& entry, const StatusLineMode::Surroundings& surroundings,
                             const FileSystem& fileSystem) {
    QList<Entry> entries = CachedEntries::read(surroundings.home, fileSystem,
                                               surroundings.cachePath, surroundings.hidden);
    for (Entry& known : entries)
        if (known.id() == entry.id())
            known = entry;
    const std::optional<Account> best = BestAccount::choose(entries, surroundings.now);
    for (const Entry& known : std::as_const(entries))
        if (best && known.id() == best->configDir && known.id() != entry.id())
            return known;
    return std::nullopt;
}

} // namespace

namespace StatusLineMode {

Surroundings Surroundings::ofThisProcess() {
    const UserSettings settings(UserSettings::defaultPath());
    return Surroundings{QDir::homePath(), qEnvironmentVariable("CLAUDE_CONFIG_DIR"),
                        // As https://no-color.org asks: any value but the empty one.
                        qEnvironmentVariableIsEmpty("NO_COLOR"), SnapshotCache::location(),
                        HiddenAccountFolders::read(settings), Instant::now(),
                        StateFolder::historyFile(), Preferences::historyDays(settings)};
}

Outcome run(const QByteArray& input, const Surroundings& surroundings,
            const FileSystem& fileSystem) {
    Outcome outcome;
    const std::optional<QList<LimitReading>> reported = StatusLineInput::readings(input);
    const std::optional<Account> account = trackedAccount(surroundings, fileSystem);
    Entry entry =
        account ? SnapshotCache::cachedEntry(*account, SnapshotCache::read(surroundings.cachePath))
                : Entry{};
    if (reported && !isRecordedLately(entry, *reported, surroundings.now)) {
        const std::optional<Entry> written =
            account ? recorded(surroundings.cachePath, *account, *reported, surroundings.now)
                    : std::nullopt;
        if (written) {
            entry = *written;
            outcome.readings = HistoryReadings::of(entry.id(), *entry.snapshot);
        } else
            entry.snapshot = StatusLineInput::applied(entry.snapshot, *reported, surroundings.now);
    }
    if (!entry.snapshot) {
        outcome.line = StatusLineText::noFigures().toUtf8() + '\n';
        return outcome;
    }
    const std::optional<Entry> other = StatusLineText::wantsAnother(entry, surroundings.now)
                                           ? another(entry, surroundings, fileSystem)
                                           : std::nullopt;
    outcome.line =
        StatusLineText::line(entry, other, surroundings.now, surroundings.colours).toUtf8() + '\n';
    return outcome;
}

QByteArray readStandardInput() {
    if (::isatty(STDIN_FILENO))
        return {};
    QByteArray input;
    char piece[64 * 1024];
    const QDeadlineTimer deadline(inputWaitMilliseconds);
    for (;;) {
        pollfd readable{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&readable, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        const ssize_t count = ::read(STDIN_FILENO, piece, sizeof piece);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        input.append(piece, std::min<qsizetype>(
                                count, std::max<qsizetype>(
                                           StatusLineInput::largestInput - input.size(), 0)));
    }
    return input;
}

} // namespace StatusLineMode
