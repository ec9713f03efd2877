#pragma once

#include "model/Instant.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// One usage limit as the usage service reported it.
struct LimitReading {
    QString title;
    // Share already used, in percent; taken as received, never clamped.
    double percent = 0;
    std::optional<Instant> resetsAt;

    const QString& id() const { return title; }

    // The reading as it stands at `now`: a limit whose reset instant has come counts as unused.
    LimitReading current(Instant now) const;
    // "Session" and "Week" cover the whole account; every other title names a narrower limit.
    bool coversWholeAccount() const;
    // The part after the first ", " ("Week, Opus" gives "Opus"), else the whole title.
    QString shortTitle() const;

    // Absent when a number is not finite.
    std::optional<QJsonObject> toJson() const;
    static std::optional<LimitReading> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const LimitReading&) const = default;
};
