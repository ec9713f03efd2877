#include "commandline/HistoryModule.h"

#include "LogCategories.h"
#include "commandline/ProgramModule.h"

namespace HistoryModule {

void keep(const QString& path, const QList<HistoryReading>& readings, Instant now,
          int retentionDays) {
    if (path.isEmpty() || readings.isEmpty())
        return;
    using Entry = void (*)(const QString*, const QList<HistoryReading>*, const Instant*, int);
    const ProgramModule::Loaded loaded =
        ProgramModule::load(SPANWELL_HISTORY_MODULE, "spanwellKeepHistory");
    if (!loaded.entry) {
        qCWarning(historyLog).noquote() << "No history is kept:" << loaded.problem;
        return;
    }
    reinterpret_cast<Entry>(loaded.entry)(&path, &readings, &now, retentionDays);
}

} // namespace HistoryModule
