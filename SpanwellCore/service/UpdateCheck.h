#pragma once

#include "service/HttpFetch.h"
#include "service/UpdateInfo.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Learns of newer builds from the small JSON feed on the product's site:
// {"version": "1.4", "build": 42, "url": "https://spanwell.app/download"}.
namespace UpdateCheck {

// The product's domain; announced download pages must lie on it or on a subdomain of it.
inline const QString productDomain = QStringLiteral("spanwell.app");

// SPANWELL_UPDATE_FEED when set and not empty, else "https://spanwell.app/version.json".
QString feed();

// The announced build when the feed document is acceptable and newer than `currentBuild`.
std::optional<UpdateInfo> parse(const QByteArray& reply, qint64 currentBuild);

// Asks the feed, bypassing every cache, and parses a 200 answer. Blocks like
// UsageClient::get; every failure (network, status, document) gives nothing.
std::optional<UpdateInfo> fetch(const HttpFetch::Getter& get, qint64 currentBuild,
                                const QString& feedAddress = feed(),
                                int timeoutMilliseconds = 15000);

} // namespace UpdateCheck
