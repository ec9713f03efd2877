#pragma once

#include "model/Instant.h"
#include "model/LimitReading.h"
#include "model/Snapshot.h"

#include <QByteArray>
#include <QList>

#include <optional>

// What Claude Code hands its status-line command on standard input after each reply: the
// session's JSON, which carries the account's own plan usage once the session has had a reply:
//   "rate_limits": {
//     "five_hour": {"used_percentage": 23.5, "resets_at": 1774036800},
//     "seven_day": {"used_percentage": 41.2, "resets_at": 1774580400}
//   }
// with the reset instants in Unix seconds.
namespace StatusLineInput {

// The most of the input that is looked at; the rest is read and thrown away.
inline constexpr qsizetype largestInput = 1024 * 1024;

// The "Session" and "Week" readings the input reports, in that order. Absent when it reports
// neither, or when any figure it holds is out of bounds: a use that is no number from 0 to
// 1000, a reset that is no instant of the years 2000 to 2100.
std::optional<QList<LimitReading>> readings(const QByteArray& input);

// The account's last snapshot with the reported readings in place of its own "Session" and
// "Week" (or before the others where it had none), its other readings and amounts kept,
// fetched at `now`, from Claude Code.
Snapshot applied(const std::optional<Snapshot>& last, const QList<LimitReading>& reported,
                 Instant now);

} // namespace StatusLineInput
