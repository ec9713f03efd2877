#pragma once

#include "commandline/TerminalModes.h"
#include "model/Account.h"

#include <QList>
#include <QString>

// `--statusline-install` and `--statusline-remove`: Spanwell put into, or taken out of, the
// status line of every tracked account.
namespace StatusLineSetup {

// One line per account's folder with what became of it; status 0 when every folder ended as
// asked, else 1, as with no account at all. `programPath` is this program's absolute path.
TerminalModes::Outcome run(bool install, const QList<Account>& accounts, const QString& home,
                           const QString& programPath);

} // namespace StatusLineSetup
