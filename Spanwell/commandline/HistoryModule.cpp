#include "commandline/HistoryModule.h"

#include "LogCategories.h"
#include "commandline/ProgramModule.h"

namespace {

// The module's entry `name`, of the type `Entry`; null, with a log line, when it cannot be
// loaded.
template <typename Entry>
Entry entryNamed(const char* name) {
    const ProgramModule::Loaded loaded = ProgramModule::load(SPANWELL_HISTORY_MODULE, name);
    if (!loaded.entry)
        qCWarning(historyLog).noquote() << "The history cannot be used:" << loaded.problem;
    return reinterpret_cast<Entry>(loaded.entry);
}

} // namespace

namespace HistoryModule {

void keep(const QString& path, const QList<HistoryReading>& readings, Instant now,
          int retentionDays) {
    if (path.isEmpty() || readings.isEmpty())
        return;
    using Entry = void (*)(const QString*, const QList<HistoryReading>*, const Instant*, int);
    if (const auto entry = entryNamed<Entry>("spanwellKeepHistory"))
        entry(&path, &readings, &now, retentionDays);
}

std::optional<QList<HistoryReading>> readings(const QString& path, Instant since,
                                              const QString& folder) {
    using Entry = bool (*)(const QString*, const Instant*, const QString*, QList<HistoryReading>*);
    const auto entry = entryNamed<Entry>("spanwellHistoryReadings");
    QList<HistoryReading> read;
    if (!entry || !entry(&path, &since, &folder, &read))
        return std::nullopt;
    return read;
}

std::optional<QByteArray> doJob(const QByteArray& encodedJob) {
    using Entry = bool (*)(const QByteArray*, QByteArray*);
    const auto entry = entryNamed<Entry>("spanwellHistoryJob");
    QByteArray answer;
    if (!entry || !entry(&encodedJob, &answer))
        return std::nullopt;
    return answer;
}

} // namespace HistoryModule
