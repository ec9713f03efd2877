#pragma once

#include "model/HistoryReading.h"
#include "model/Instant.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One piece of work on the history file, as a program that must not load the database itself
// (the tray program, which runs all day) hands it to a short-lived child: keep some readings,
// then, when asked, give back each limit's recent use. Both directions travel as CBOR.
struct HistoryJob {
    // What the recent use is asked for: every reading from `detailedFrom` on, and before it
    // the last of each `spacingSeconds` only, back to `since`.
    struct RecentUse {
        Instant since;
        Instant detailedFrom;
        double spacingSeconds = 0;

        bool operator==(const RecentUse&) const = default;
    };

    QString path;
    QList<HistoryReading> readings;
    Instant now;
    // Readings older than this many days are removed (none when 0).
    int retentionDays = 0;
    std::optional<RecentUse> recentUse;

    bool operator==(const HistoryJob&) const = default;

    QByteArray encoded() const;
    // Absent for bytes that are not a whole job: a child never acts on half an instruction.
    static std::optional<HistoryJob> decoded(const QByteArray& bytes);

    static QByteArray encodedRecentUse(const QList<LimitHistory>& histories);
    static std::optional<QList<LimitHistory>> decodedRecentUse(const QByteArray& bytes);
};
