#include "store/StoreServices.h"

#include "accounts/ClaudeCLI.h"
#include "accounts/CredentialSource.h"
#include "service/UpdateCheck.h"
#include "store/SnapshotCache.h"

#include <QDir>

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
    };
}
