#pragma once

#include "model/AccountStatus.h"
#include "model/FetchProblem.h"
#include "model/Instant.h"
#include "store/Entry.h"

#include <QList>
#include <QString>

// What an entry says about its account wherever it is shown: in a panel row or a terminal.
namespace EntryStatus {

// The snapshot's readings as they stand at `now`; none without a snapshot.
QList<LimitReading> currentLimits(const Entry& entry, Instant now);
// A missing or lapsed sign-in blocks whatever the numbers say; otherwise the readings decide.
AccountStatus verdict(const Entry& entry, Instant now);
// The sentence that tells why the last refresh of the account gave no new figures.
QString problemText(const FetchProblem& problem, bool hasSnapshot);

} // namespace EntryStatus
