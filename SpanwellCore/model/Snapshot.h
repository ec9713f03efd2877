#pragma once

#include "model/ExtraUsage.h"
#include "model/Instant.h"
#include "model/LimitReading.h"
#include "model/Spend.h"
#include "model/Subscription.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// What one successful refresh learned about an account. Its fields may be amended in place.
struct Snapshot {
    QList<LimitReading> limits;
    std::optional<QString> plan;
    std::optional<Subscription> subscription;
    // When the stored sign-in itself (not the short-lived access token) runs out.
    std::optional<Instant> loginExpiresAt;
    Instant fetchedAt;
    std::optional<ExtraUsage> extraUsage = std::nullopt;
    // Only for a seat billed by what it spends.
    std::optional<Spend> spend = std::nullopt;
    // The "Session" and "Week" readings are Claude Code's own, from its status line, rather than
    // the usage service's.
    bool fromClaudeCode = false;

    // Absent when a number anywhere inside is not finite.
    std::optional<QJsonObject> toJson() const;
    static std::optional<Snapshot> fromJson(const QJsonValue& json, QString* error = nullptr);

    bool operator==(const Snapshot&) const = default;
};
