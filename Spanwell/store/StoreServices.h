#pragma once

#include "accounts/Credential.h"
#include "accounts/FileSystem.h"
#include "model/Account.h"
#include "model/Clock.h"
#include "model/HistoryJob.h"
#include "service/UpdateInfo.h"
#include "service/UsageClient.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Everything the store reaches outside itself. The product uses the real ones; a test hands
// in stand-ins. Every function may be called from worker threads, several at once.
struct StoreServices {
    using CredentialReader =
        std::function<std::optional<Credential>(const Account& account, double timeoutSeconds)>;
    using SignInRenewer =
        std::function<bool(const QString& configDir, bool isDefault, double timeoutSeconds)>;
    using UpdateChecker = std::function<std::optional<UpdateInfo>(qint64 currentBuild)>;

    Clock clock;
    QString home;
    const FileSystem* fileSystem = nullptr;
    CredentialReader readCredential;
    SignInRenewer renewSignIn;
    std::shared_ptr<const UsageClient> client;
    UpdateChecker checkForUpdate;
    // The snapshot cache file.
    QString cachePath;
    // The history of readings: does a job on it, whose path it sets (keeps the readings, then
    // gives the recent use the job asks for, when it can). An empty function keeps and gives
    // nothing.
    std::function<std::optional<QList<LimitHistory>>(HistoryJob job)> history = {};

    // The machine's own: system clock, home folder, keychain or credential files, Claude
    // Code, the usage service and the update feed (called by a child of the program at
    // `program`, by default this one), the user's data folder, the history in the state folder
    // (worked on by another child).
    static StoreServices real(const QString& program = {});
};
