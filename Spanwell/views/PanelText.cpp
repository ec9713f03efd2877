#include "views/PanelText.h"

#include "model/Format.h"

#include <cmath>

namespace PanelText {

QString summary(int usableCount, qsizetype accountCount, std::optional<double> averageSession) {
    QString text = QString::number(usableCount) + QStringLiteral(" of ") +
                   QString::number(accountCount) + QStringLiteral(" accounts usable now");
    if (averageSession)
        text += QStringLiteral("  \u00B7  average session use ") + Format::percent(*averageSession);
    return text;
}

QString statusText(bool isRefreshing, std::optional<Instant> lastRefresh, Instant now) {
    if (isRefreshing)
        return QStringLiteral("Checking\u2026");
    if (!lastRefresh)
        return QStringLiteral("Not checked yet");
    const double minutes = std::trunc((now - *lastRefresh) / 60);
    // Also a refresh that finished after `now`, and an instant that is not a number.
    if (!(minutes >= 1))
        return QStringLiteral("Updated just now");
    return QStringLiteral("Updated ") + QString::number(minutes, 'f', 0) +
           QStringLiteral(" min ago");
}

} // namespace PanelText
