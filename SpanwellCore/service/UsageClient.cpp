#include "service/UsageClient.h"

#include "service/HttpFetch.h"
#include "service/UsageParser.h"

#include <QUrl>

#include <algorithm>

namespace {

const QString usagePath = QStringLiteral("/api/oauth/usage");
const QString profilePath = QStringLiteral("/api/oauth/profile");
const QString unreadableUsageReply = QStringLiteral("Unreadable usage reply");

bool fitsInHeader(const QString& token) {
    return std::all_of(token.begin(), token.end(),
                       [](QChar character) { return character >= u' ' && character <= u'~'; });
}

} // namespace

UsageClient::UsageClient(HttpFetch::Getter getter, QString serviceOrigin, int timeout)
    : fetch(std::move(getter))
    , origin(std::move(serviceOrigin))
    , timeoutMilliseconds(timeout) {
    while (origin.endsWith(QLatin1Char('/')))
        origin.chop(1);
}

UsageClient::~UsageClient() = default;

QString UsageClient::defaultOrigin() {
    const QString configured = qEnvironmentVariable("SPANWELL_API_ORIGIN");
    return configured.isEmpty() ? QStringLiteral("https://api.anthropic.com") : configured;
}

UsageClient::Result<QByteArray> UsageClient::get(const QString& path, const QString& token) const {
    // The service would refuse such a token; sending it could split the request.
    if (!fitsInHeader(token))
        return Failure::unauthorized();

    const QUrl address(origin + path);
    const HttpFetch::Headers headers{
        {"Authorization", "Bearer " + token.toLatin1()},
        {"anthropic-beta", "oauth-2025-04-20"},
        {"User-Agent", HttpFetch::userAgent()},
    };
    const HttpFetch::Outcome outcome = fetch(address, headers, timeoutMilliseconds);
    if (const auto* error = std::get_if<HttpFetch::TransportError>(&outcome))
        return Failure::transport(error->message);

    const auto& response = std::get<HttpFetch::Response>(outcome);
    if (response.status == 401 || response.status == 403)
        return Failure::unauthorized();
    if (response.status != 200) {
        const auto retryAfter =
            std::find_if(response.headers.begin(), response.headers.end(), [](const auto& header) {
                return header.first.compare("Retry-After", Qt::CaseInsensitive) == 0;
            });
        return Failure::http(response.status, retryAfter == response.headers.end()
                                                  ? QByteArray()
                                                  : retryAfter->second);
    }
    if (!response.body)
        return Failure::transport(unreadableUsageReply);
    return *response.body;
}

UsageClient::Result<UsageParser::Usage> UsageClient::usage(const QString& token) const {
    Result<QByteArray> reply = get(usagePath, token);
    if (const auto* failure = std::get_if<Failure>(&reply))
        return *failure;
    std::optional<UsageParser::Usage> read = UsageParser::usage(std::get<QByteArray>(reply));
    if (!read)
        return Failure::transport(unreadableUsageReply);
    return *std::move(read);
}

UsageClient::Result<std::optional<Subscription>>
UsageClient::subscription(const QString& token) const {
    Result<QByteArray> reply = get(profilePath, token);
    if (const auto* failure = std::get_if<Failure>(&reply)) {
        if (*failure == Failure::transport(unreadableUsageReply))
            return std::optional<Subscription>();
        return *failure;
    }
    return UsageParser::subscription(std::get<QByteArray>(reply));
}
