#pragma once

#include "model/HistoryReading.h"
#include "model/Instant.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The history from the executable, through the history's module beside it, which alone loads
// Qt SQL: the status line, run after every reply of Claude Code, loads it only when it has new
// figures to keep, and the tray program, which runs all day, never does (a child of it does).
// A module that cannot be loaded is logged.
namespace HistoryModule {

void keep(const QString& path, const QList<HistoryReading>& readings, Instant now,
          int retentionDays);

// The readings taken at `since` or later, of one folder when `folder` is not empty; absent when
// the file cannot be read.
std::optional<QList<HistoryReading>> readings(const QString& path, Instant since,
                                              const QString& folder);

// Does a job another run of the program encoded; the recent use it asked for, encoded, or
// nothing when it asked for none. Absent when the job cannot be read or done.
std::optional<QByteArray> doJob(const QByteArray& encodedJob);

} // namespace HistoryModule
