#pragma once

#include "model/Instant.h"

#include <QByteArray>

#include <optional>

// An HTTP Retry-After header: how long a service asks its clients to wait.
namespace RetryAfter {

// The instant the header names, as whole seconds from `now` ("120") or as an HTTP date ("Sun,
// 06 Nov 1994 08:49:37 GMT", or the older form of C's asctime). Absent when the header is
// empty or cannot be read, or names no wait at all (0, or a date not after `now`).
std::optional<Instant> parse(const QByteArray& header, Instant now);

} // namespace RetryAfter
