#pragma once

#include "model/Calendar.h"
#include "model/HistoryReading.h"

#include <QByteArray>
#include <QList>
#include <QLocale>
#include <QString>

// What `spanwell --history` prints of the readings kept, ordered by folder, limit and time.
namespace HistoryOutput {

// A header row, then one row per reading; instants in UTC (RFC 3339), quoted where a field
// holds a comma, a quote or a line break.
QByteArray csv(const QList<HistoryReading>& readings);
// A list of objects, one per reading, with the same fields.
QByteArray json(const QList<HistoryReading>& readings);
// For each account and limit, each day's peak and its number of readings, days as the user's
// calendar counts them; a sentence when there are none since `since`.
QString table(const QList<HistoryReading>& readings, Instant since, const QString& home,
              const Calendar& calendar, const QLocale& locale);

// The folder `given` names: itself when absolute, else under the home folder ("~/.claude-work"
// and ".claude-work" alike).
QString folderNamed(const QString& given, const QString& home);

} // namespace HistoryOutput
