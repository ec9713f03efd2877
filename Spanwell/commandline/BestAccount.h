#pragma once

#include "model/Account.h"
#include "model/Instant.h"
#include "store/Entry.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Which account to work in now.
namespace BestAccount {

// Among the usable accounts, one usable on every limit before one partly usable, then the
// lowest session use (no session reading counts as none used); the panel's order settles
// ties. Absent when no account is usable.
std::optional<Account> choose(const QList<Entry>& entries, Instant now);

// Of the accounts blocked by their limits, the one whose limits reset first, and when; absent
// when none is, or none tells when.
std::optional<std::pair<Account, Instant>> firstBack(const QList<Entry>& entries, Instant now);

// The command that starts Claude Code in the account, for a shell to run: "claude" alone for
// the default folder, else the folder in CLAUDE_CONFIG_DIR before it, quoted for the shell.
// Printing it is only safe for a folder that `PrintableText::escaped` leaves as it is.
QString command(const Account& account);

} // namespace BestAccount
