#pragma once

#include "model/Subscription.h"
#include "service/HttpFetch.h"
#include "service/UsageParser.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

// The program's one client of the usage service: fetches an account's limits and profile with
// its access token. Holds no mutable state.
class UsageClient {
public:
    // Why a request gave no usable answer.
    class Failure {
    public:
        enum class Kind { http, transport, unauthorized };

        // The service answered with another status than 200, 401 or 403 (redirects that were
        // not followed included), or the origin is not an HTTP address (status 0), with the
        // answer's Retry-After header, when it had one.
        static Failure http(int status, QByteArray retryAfter = {}) {
            return Failure(Kind::http, status, {}, std::move(retryAfter));
        }
        // The request did not complete, or the usage reply could not be read.
        static Failure transport(QString message) {
            return Failure(Kind::transport, 0, std::move(message), {});
        }
        // The service refused the token (401 or 403).
        static Failure unauthorized() { return Failure(Kind::unauthorized, 0, {}, {}); }

        Kind kind() const { return failureKind; }
        // The status of an `http` failure; 0 otherwise.
        int status() const { return code; }
        // The sentence of a `transport` failure; empty otherwise.
        const QString& message() const { return text; }
        // The Retry-After header of an `http` failure as sent; empty without one.
        const QByteArray& retryAfter() const { return retryAfterText; }

        bool operator==(const Failure&) const = default;

    private:
        Failure(Kind kind, int status, QString message, QByteArray retryAfter)
            : failureKind(kind)
            , code(status)
            , text(std::move(message))
            , retryAfterText(std::move(retryAfter)) {}

        Kind failureKind;
        int code;
        QString text;
        QByteArray retryAfterText;
    };

    template <typename T>
    using Result = std::variant<T, Failure>;

    // Requests go through `getter`. Trailing slashes of `origin` are dropped; paths are appended
    // to it as they are.
    explicit UsageClient(HttpFetch::Getter getter, QString origin = defaultOrigin(),
                         int timeoutMilliseconds = 20000);
    virtual ~UsageClient();

    // SPANWELL_API_ORIGIN when set and not empty, else "https://api.anthropic.com".
    static QString defaultOrigin();

    // The body of a 200 answer to `path`. The token travels only in the Authorization header,
    // only to this origin; a token that cannot be written into a header (a line break, a control
    // or non-ASCII character) is never sent and counts as refused. Over plain http it goes only
    // to this computer (localhost, 127.0.0.0/8, ::1), directly or through a proxy there; any
    // other plain http origin or proxy fails as `transport` without a connection. A 200 body
    // larger than the reading limit is not read and fails as `transport` with "Unreadable usage
    // reply".
    //
    // Blocks the calling thread until the answer or the time limit; any thread may call, several
    // at once, except the interface thread. Virtual so that a test of a caller can stand in for
    // the network.
    virtual Result<QByteArray> get(const QString& path, const QString& token) const;

    // What the usage reply says: the account's limits (possibly none), its extra usage and its
    // spend. A usage reply that is not a JSON object fails as `transport` with "Unreadable usage
    // reply".
    Result<UsageParser::Usage> usage(const QString& token) const;
    // The account's subscription; absent, not a failure, when the profile reply holds no
    // readable organization or is too large to read.
    Result<std::optional<Subscription>> subscription(const QString& token) const;

private:
    HttpFetch::Getter fetch;
    QString origin;
    int timeoutMilliseconds;
};
