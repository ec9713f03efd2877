#pragma once

#include "BuildVersion.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <utility>
#include <variant>

// One blocking GET with a time limit, shared by the clients of the usage service and of the
// update feed.
//
// Each call makes its own QNetworkAccessManager on the calling thread and runs a local event loop
// until the reply has ended or the time limit has passed. A manager belongs to the thread that
// made it, so sharing one would tie every caller to one thread; a manager per call shares
// nothing, which lets any number of worker threads (with or without an event loop of their own)
// ask at once. The price, a new connection per call, is small for a few requests per account
// every few minutes. Never call this on the interface thread: it blocks.
namespace HttpFetch {

// Bodies above this size are not read into memory.
inline constexpr qint64 maximumBodySize = 4 * 1024 * 1024;
// Redirects followed within one origin before the redirect itself counts as the answer.
inline constexpr int maximumRedirects = 10;

using Headers = QList<std::pair<QByteArray, QByteArray>>;

struct Response {
    // 0 when the address is not an HTTP one (its scheme is neither "http" nor "https"): nothing
    // is sent for it, so no header leaves the program for a file or another protocol.
    int status = 0;
    // Absent when the body is larger than maximumBodySize; reading stopped there.
    std::optional<QByteArray> body;
    // As the answer carried them, names as written.
    Headers headers = {};

    bool operator==(const Response&) const = default;
};

// The request did not complete: no connection, a TLS failure, the time limit, a broken reply.
struct TransportError {
    // A short sentence for the user.
    QString message;

    bool operator==(const TransportError&) const = default;
};

using Outcome = std::variant<Response, TransportError>;

inline const QString timedOutMessage = QStringLiteral("The request timed out.");

// What every request of the program says it comes from.
inline QByteArray userAgent() {
    return QByteArray("Spanwell/") + BuildVersion::text;
}

// Sends `headers` in the given order; the HTTP layer adds its usual ones after them, through the
// proxy the environment names (ProxySetting). A call that carries an Authorization header goes
// over plain http only to this computer (localhost, 127.0.0.0/8, ::1), directly or through a
// proxy there; any other fails without a connection, as "Refusing to send the sign-in over plain
// http to HOST.". Nothing is cached and no cookie is kept. A redirect is followed only to the
// same scheme, host and port, so the headers never reach another origin; any other redirect is
// the response. The time limit covers the whole call, redirects included.
Outcome get(const QUrl& address, const Headers& headers, int timeoutMilliseconds);

// A way to make such a call: `get` itself, in a program that may load Qt Network, or the same
// call made by a child of the program for one that must not.
using Getter =
    std::function<Outcome(const QUrl& address, const Headers& headers, int timeoutMilliseconds)>;

} // namespace HttpFetch
