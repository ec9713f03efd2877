// The history's own module, which the executable loads to keep the readings Claude Code's
// status line reports: the one part of the history a mode of the executable needs, so that
// those runs load Qt SQL only when they have figures to keep, and never Qt's interface.

#include "BuildVersion.h"
#include "history/HistoryFile.h"

// What the executable compares with its own before it calls the entry.
extern "C" Q_DECL_EXPORT const char* const spanwellModuleVersion = BuildVersion::identity;

extern "C" Q_DECL_EXPORT void spanwellKeepHistory(const QString* path,
                                                  const QList<HistoryReading>* readings,
                                                  const Instant* now, int retentionDays) {
    HistoryFile(*path).record(*readings, *now, retentionDays);
}
