#pragma once

#include "model/Instant.h"
#include "model/Snapshot.h"

#include <QList>
#include <QString>

#include <optional>

// One limit of one account as it was read at one instant: a point of the history.
struct HistoryReading {
    // Where the figure came from.
    enum class Source { service, claudeCode };

    // The account's configuration folder.
    QString folder;
    QString title;
    double percent = 0;
    std::optional<Instant> resetsAt;
    Instant readAt;
    Source source = Source::service;

    // "service" or "statusline", as the history file and its exports write it.
    static QString sourceName(Source source);
    static std::optional<Source> sourceNamed(const QString& name);

    bool operator==(const HistoryReading&) const = default;
};

// A limit's use at one instant, as its recent history keeps it: small, since a week of them
// stays in memory for every limit shown.
struct UsePoint {
    Instant readAt;
    double percent = 0;

    bool operator==(const UsePoint&) const = default;
};

// One limit's recent use, oldest first.
struct LimitHistory {
    QString folder;
    QString title;
    QList<UsePoint> points;

    bool operator==(const LimitHistory&) const = default;
};

namespace HistoryReadings {

// The readings a snapshot of the account in `folder` brings. Claude Code's status line reports
// the session and the week only: a snapshot of its figures carries the other limits over from
// the last refresh, when they were read and kept already, so only its own two are taken.
QList<HistoryReading> of(const QString& folder, const Snapshot& snapshot);

// The points of the limit `title` of the account in `folder`; none when there are none.
QList<UsePoint> pointsOf(const QList<LimitHistory>& histories, const QString& folder,
                         const QString& title);

} // namespace HistoryReadings
