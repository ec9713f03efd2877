#include "store/HistoryChild.h"

#include "LogCategories.h"
#include "process/ChildProcess.h"

namespace HistoryChild {

std::optional<QList<LimitHistory>> run(const QString& program, const HistoryJob& job) {
    ChildProcess::Request request{program,
                                  {QStringLiteral("--history-job")},
                                  std::nullopt,
                                  ChildProcess::Stream::captured,
                                  ChildProcess::Stream::captured,
                                  ChildProcess::Stream::captured,
                                  timeoutSeconds};
    request.inputBytes = job.encoded();
    const ChildProcess::Result result = ChildProcess::run(request);
    if (!result.succeeded()) {
        qCWarning(historyLog).noquote()
            << "The history's child" << program << "failed, so readings may be missing:"
            << QString::fromLocal8Bit(result.errorOutput).trimmed();
        return std::nullopt;
    }
    if (!job.recentUse)
        return std::nullopt;
    std::optional<QList<LimitHistory>> recentUse = HistoryJob::decodedRecentUse(result.output);
    if (!recentUse)
        qCWarning(historyLog) << "The history's child gave no recent use that can be read";
    return recentUse;
}

} // namespace HistoryChild
