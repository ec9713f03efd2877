#pragma once

#include "commandline/TerminalStyle.h"
#include "model/AccountStatus.h"
#include "model/Instant.h"
#include "store/Entry.h"

#include <QList>
#include <QString>
#include <QStringList>

// The tracked accounts as a table for the terminal: one line per account, in the panel's order,
// with its e-mail, verdict, session and weekly figures, and why its last refresh failed, if it
// did. Every text from outside is escaped, so no line can be forged and the cursor never moves.
namespace StatusTable {

// What is shown in place of the lines when no account is tracked.
QString noAccounts();

// One line per entry, in aligned columns; a sentence when there are none. On a terminal, in its
// width and colours: what does not fit beside an account goes under it, indented.
QString text(const QList<Entry>& entries, Instant now, const TableStyle& style = {});

// The cells of one account's line, unaligned: e-mail, verdict, "session 42% · 1h 51m", the
// same for the week, the spend and the extra usage where there are any, and the problem when
// there is one; none longer than 60 characters.
QStringList cells(const Entry& entry, Instant now);

// A line for each folder in the home folder whose name is not valid UTF-8, so that its account
// is not missing without a word.
QString unreadableFolders(const QStringList& names);

// The verdict as it reads inside a line: "ready", "back in 38m", "sign in again", but
// "Opus back in 5h 0m", since a limit's name keeps its capital.
QString verdictWords(const AccountStatus& status);

} // namespace StatusTable
