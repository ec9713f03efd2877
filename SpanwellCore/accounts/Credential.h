#pragma once

#include "model/Instant.h"

#include <QByteArray>
#include <QString>

#include <optional>

// An account's OAuth credential as Claude Code stores it. The access token is a secret: it is
// kept in memory only, never written, logged or passed to another program.
struct Credential {
    QString accessToken; // never empty
    std::optional<Instant> expiresAt;
    // When the sign-in itself (the refresh token) runs out.
    std::optional<Instant> loginExpiresAt;
    std::optional<QString> subscriptionType;
    std::optional<QString> rateLimitTier;

    // The stored JSON text, surrounding white space allowed: an object whose "claudeAiOauth"
    // object holds a non-empty "accessToken". Absent when that much cannot be read; any other
    // field of the wrong type is only left out. Times are milliseconds since 1970.
    static std::optional<Credential> parse(const QByteArray& bytes);

    // Known to have expired: from `expiresAt` on, with no margin. Without `expiresAt` the expiry
    // is unknown, not never: the token is tried, and a refusal renews the sign-in.
    bool isExpired(Instant at) const;

    bool operator==(const Credential&) const = default;
};
