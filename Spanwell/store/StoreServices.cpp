#include "store/StoreServices.h"

#include "accounts/ClaudeCLI.h"
#include "accounts/CredentialSource.h"
#include "history/HistoryFile.h"
#include "model/Pace.h"
#include "service/UpdateCheck.h"
#include "store/SnapshotCache.h"
#include "store/StateFolder.h"

#include <QDir>

namespace {

// A week's chart a few hundred points wide needs no more than a point every 20 minutes; the pace,
// which looks back an hour, every reading of the last two.
constexpr double recentUseSpacingSeconds = 1200;
constexpr double detailedSeconds = 2 * Pace::burnRateSeconds;

} // namespace

StoreServices StoreServices::real() {
    return StoreServices{
        systemClock(),
        QDir::homePath(),
        &FileSystem::local(),
        [](const Account& account, double timeoutSeconds) {
            return CredentialSource::read(account, timeoutSeconds);
        },
        &ClaudeCLI::renewSignIn,
        std::make_shared<UsageClient>(),
        [](qint64 currentBuild) { return UpdateCheck::fetch(currentBuild); },
        SnapshotCache::location(),
        [path = StateFolder::historyFile()](const QList<HistoryReading>& readings, Instant now,
                                            int retentionDays) {
            HistoryFile(path).record(readings, now, retentionDays);
        },
        [path = StateFolder::historyFile()](Instant since, Instant now) {
            return HistoryFile(path).recentUse(since, now - detailedSeconds,
                                               recentUseSpacingSeconds);
        },
    };
}
