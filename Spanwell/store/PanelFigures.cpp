#include "store/PanelFigures.h"

#include "model/DecimalInteger.h"
#include "store/EntryStatus.h"

namespace PanelFigures {

std::optional<double> averageSession(const QList<Entry>& entries, Instant now) {
    double sum = 0;
    int count = 0;
    for (const Entry& entry : entries) {
        if (!entry.snapshot)
            continue;
        const auto& limits = entry.snapshot->limits;
        const auto session = std::find_if(limits.begin(), limits.end(), [](const LimitReading& l) {
            return l.title == LimitTitle::session;
        });
        if (session == limits.end())
            continue;
        sum += session->current(now).percent;
        ++count;
    }
    if (count == 0)
        return std::nullopt;
    return sum / count;
}

int usableCount(const QList<Entry>& entries, Instant now) {
    return static_cast<int>(
        std::count_if(entries.begin(), entries.end(), [now](const Entry& entry) {
            return EntryStatus::verdict(entry, now).isUsable();
        }));
}

qint64 buildNumber(const QString& text) {
    return DecimalInteger::parse(text).value_or(0);
}

QString versionText(const QString& configured) {
    return configured.isEmpty() ? QStringLiteral("dev") : configured;
}

} // namespace PanelFigures
