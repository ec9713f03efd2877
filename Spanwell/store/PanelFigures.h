#pragma once

#include "model/Instant.h"
#include "store/Entry.h"

#include <QList>
#include <QString>

#include <optional>

// The figures that sum up all accounts at a glance, computed afresh whenever they are read.
namespace PanelFigures {

// Mean current use of the accounts' "Session" limits; a limit whose reset has passed counts
// as 0. Absent when no account has one.
std::optional<double> averageSession(const QList<Entry>& entries, Instant now);

// Accounts with figures that can be used now; a missing or lapsed sign-in never counts.
int usableCount(const QList<Entry>& entries, Instant now);

// A build number text read as a signed 64-bit decimal integer; 0 when it is not one.
qint64 buildNumber(const QString& text);
// The version text shown to the user: as configured, or "dev" when the build set none.
QString versionText(const QString& configured);

} // namespace PanelFigures
