#pragma once

#include "model/Instant.h"
#include "store/Entry.h"

#include <QString>

#include <optional>

// The line Spanwell shows under Claude Code's prompt: this account's session use with the
// session's reset countdown, and its week's use, each green, yellow from 80 % and red from
// 100 % where colours are wanted:
//   session 24% · 3h 12m  week 41%
// and, when this account is nearly out of its session or blocked, the account to go to:
//   session 93% · 41m  week 62%  → work@example.com 12%
namespace StatusLineText {

// The account is at 90 % of its session or more, or blocked: another may serve better.
bool wantsAnother(const Entry& entry, Instant now);

// The line, without a line feed; `other` is the account to go to, if any. Texts from outside
// are escaped, so no line can be forged and the terminal never takes a command from them.
QString line(const Entry& entry, const std::optional<Entry>& other, Instant now, bool colours);

// The line when there are no figures for the account.
QString noFigures();

} // namespace StatusLineText
