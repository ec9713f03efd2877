#include "commandline/RenewalCheck.h"

#include "accounts/ClaudeCLI.h"
#include "accounts/Discovery.h"
#include "model/PrintableText.h"

namespace RenewalCheck {

Renewal claudeRenewal() {
    return [](const QString& configDir, bool isDefault) {
        return ClaudeCLI::renewSignIn(configDir, isDefault, renewalTimeoutSeconds);
    };
}

void run(const QString& home, const FileSystem& fileSystem, const Renewal& renew,
         QTextStream& output) {
    for (const Account& account : Discovery::accounts(home, fileSystem)) {
        const bool renewed = renew(account.configDir, account.isDefault());
        output << PrintableText::escaped(account.folderLabel(home)) << ' '
               << (renewed ? QStringLiteral("ok") : QStringLiteral("FAILED")) << '\n';
        output.flush();
    }
}

} // namespace RenewalCheck
