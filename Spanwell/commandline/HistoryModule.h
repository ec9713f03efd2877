#pragma once

#include "model/HistoryReading.h"
#include "model/Instant.h"

#include <QList>
#include <QString>

// Keeps readings in the history from the executable, through the history's module beside it,
// which alone loads Qt SQL: the status line, run after every reply of Claude Code, then loads
// it only when it has new figures to keep. A module that cannot be loaded is logged.
namespace HistoryModule {

void keep(const QString& path, const QList<HistoryReading>& readings, Instant now,
          int retentionDays);

} // namespace HistoryModule
