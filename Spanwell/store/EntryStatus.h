#pragma once

#include "model/AccountStatus.h"
#include "model/Calendar.h"
#include "model/FetchProblem.h"
#include "model/Instant.h"
#include "store/Entry.h"

#include <QList>
#include <QLocale>
#include <QString>

// What an entry says about its account wherever it is shown: in a panel row or a terminal.
namespace EntryStatus {

// Money shown as one more meter beside the limits: "Spend", "Extra usage".
struct MoneyMeter {
    QString title;
    MoneyUse use;

    // "$18.02 of $300.00", else the share used, else nothing.
    QString figure() const;
    // The share used, none when it is not known.
    double percent() const { return use.percent().value_or(0); }
};

// The snapshot's readings as they stand at `now`; none without a snapshot.
QList<LimitReading> currentLimits(const Entry& entry, Instant now);
// A missing or lapsed sign-in blocks whatever the numbers say; otherwise the readings decide,
// or, for a seat without any, its spend.
AccountStatus verdict(const Entry& entry, Instant now);
// The sentence that tells why the last refresh of the account gave no new figures; a rate
// limit tells when the account is asked again, by the user's clock.
QString problemText(const FetchProblem& problem, bool hasSnapshot, Instant now,
                    const Calendar& calendar = Calendar::current(),
                    const QLocale& locale = QLocale());
// The spend of a seat billed by it, where anything of it is known.
std::optional<MoneyMeter> spendMeter(const Entry& entry);
// The extra usage, where it is on.
std::optional<MoneyMeter> extraUsageMeter(const Entry& entry);
// "Extra usage on · $4.60 left": said of a blocked or partly usable account whose extra usage
// keeps Claude Code going; empty for any other.
QString extraUsageNote(const Entry& entry, const AccountStatus& status);

} // namespace EntryStatus
