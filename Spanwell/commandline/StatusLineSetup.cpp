#include "commandline/StatusLineSetup.h"

#include "commandline/StatusTable.h"
#include "model/PrintableText.h"
#include "store/StatusLineSetting.h"

namespace StatusLineSetup {

TerminalModes::Outcome run(bool install, const QList<Account>& accounts, const QString& home,
                           const QString& programPath) {
    if (accounts.isEmpty())
        return {1, (StatusTable::noAccounts() + QLatin1Char('\n')).toUtf8(), {}};
    const QString command = StatusLineSetting::command(programPath);
    TerminalModes::Outcome outcome;
    for (const Account& account : accounts) {
        const StatusLineSetting::Outcome done =
            install ? StatusLineSetting::install(account.configDir, command)
                    : StatusLineSetting::remove(account.configDir);
        if (!StatusLineSetting::succeeded(done))
            outcome.exitStatus = 1;
        outcome.output +=
            (PrintableText::escaped(account.folderLabel(home)) + QStringLiteral(": ") +
             StatusLineSetting::sentence(done) + QLatin1Char('\n'))
                .toUtf8();
    }
    return outcome;
}

} // namespace StatusLineSetup
