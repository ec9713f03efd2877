#include "store/StoreServices.h"

#include "accounts/ClaudeCLI.h"
#include "accounts/CredentialSource.h"
#include "process/ExecutablePath.h"
#include "service/UpdateCheck.h"
#include "store/HistoryChild.h"
#include "store/NetworkChild.h"
#include "store/SnapshotCache.h"
#include "store/StateFolder.h"

#include <QDir>
#include <QFile>

StoreServices StoreServices::real(const QString& program) {
    const QString executable =
        program.isEmpty() ? QFile::decodeName(ExecutablePath::get()) : program;
    const HttpFetch::Getter network = NetworkChild::getterOf(NetworkChild::make(executable));
    return StoreServices{
        systemClock(),
        QDir::homePath(),
        &FileSystem::local(),
        [](const Account& account, double timeoutSeconds) {
            return CredentialSource::read(account, timeoutSeconds);
        },
        &ClaudeCLI::renewSignIn,
        std::make_shared<UsageClient>(network),
        [network](qint64 currentBuild) { return UpdateCheck::fetch(network, currentBuild); },
        SnapshotCache::location(),
        [path = StateFolder::historyFile(), executable](HistoryJob job) {
            job.path = path;
            return HistoryChild::run(executable, job);
        },
    };
}
