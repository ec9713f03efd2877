#pragma once

#include "model/Instant.h"

#include <QString>

#include <optional>

// The panel's own sentences about all accounts and about the refresh.
namespace PanelText {

// "2 of 3 accounts usable now", then the average session use when there is one.
QString summary(int usableCount, qsizetype accountCount, std::optional<double> averageSession);

// "Checking…" while a refresh runs, else how long ago the last one finished, in whole minutes.
QString statusText(bool isRefreshing, std::optional<Instant> lastRefresh, Instant now);

} // namespace PanelText
