#include "store/StoreServices.h"

#include "accounts/ClaudeCLI.h"
#include "accounts/CredentialSource.h"
#include "process/ExecutablePath.h"
#include "service/UpdateCheck.h"
#include "store/HistoryChild.h"
#include "store/SnapshotCache.h"
#include "store/StateFolder.h"

#include <QDir>
#include <QFile>

StoreServices StoreServices::real(const QString& program) {
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
        [path = StateFolder::historyFile(), program = program.isEmpty()
                                                          ? QFile::decodeName(ExecutablePath::get())
                                                          : program](HistoryJob job) {
            job.path = path;
            return HistoryChild::run(program, job);
        },
    };
}
