// The history's own module, the one part of the program that loads Qt SQL. The executable loads
// it for the modes that touch the history: the status line keeping what Claude Code reports,
// `--history` printing the readings, and the short-lived child that keeps the readings of the
// programs that must not load the database themselves and reads their recent use back.

#include "BuildVersion.h"
#include "history/HistoryFile.h"
#include "model/HistoryJob.h"

// What the executable compares with its own before it calls an entry.
extern "C" Q_DECL_EXPORT const char* const spanwellModuleVersion = BuildVersion::identity;

extern "C" Q_DECL_EXPORT void spanwellKeepHistory(const QString* path,
                                                  const QList<HistoryReading>* readings,
                                                  const Instant* now, int retentionDays) {
    HistoryFile(*path).record(*readings, *now, retentionDays);
}

// False when the file cannot be read.
extern "C" Q_DECL_EXPORT bool spanwellHistoryReadings(const QString* path, const Instant* since,
                                                      const QString* folder,
                                                      QList<HistoryReading>* readings) {
    const HistoryFile file(*path);
    if (!file.isOpen())
        return false;
    *readings = file.readings(*since, *folder);
    return true;
}

// False for bytes that are not a job; `answer` gets the recent use when the job asks for it.
extern "C" Q_DECL_EXPORT bool spanwellHistoryJob(const QByteArray* encodedJob, QByteArray* answer) {
    const std::optional<HistoryJob> job = HistoryJob::decoded(*encodedJob);
    if (!job)
        return false;
    HistoryFile file(job->path);
    if (!job->readings.isEmpty())
        file.record(job->readings, job->now, job->retentionDays);
    if (job->recentUse)
        *answer = HistoryJob::encodedRecentUse(file.recentUse(
            job->recentUse->since, job->recentUse->detailedFrom, job->recentUse->spacingSeconds));
    return true;
}
