#include "service/HttpFetch.h"

#include "service/ProxySetting.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

bool isHttp(const QUrl& address) {
    return address.scheme() == QLatin1String("http") || address.scheme() == QLatin1String("https");
}

bool sameOrigin(const QUrl& first, const QUrl& second) {
    const int defaultPort = first.scheme() == QLatin1String("https") ? 443 : 80;
    return first.scheme() == second.scheme() && first.host() == second.host() &&
           first.port(defaultPort) == second.port(defaultPort);
}

// Plain http never carries a sign-in off this computer, where anyone on the way could read it.
bool isLoopback(const QString& host) {
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

bool carriesSignIn(const HttpFetch::Headers& headers) {
    return std::any_of(headers.begin(), headers.end(), [](const auto& header) {
        return header.first.compare("Authorization", Qt::CaseInsensitive) == 0;
    });
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

struct Exchange {
    HttpFetch::Outcome outcome;
    std::optional<QUrl> location;
};

Exchange exchange(QNetworkAccessManager& manager, const QUrl& address,
                  const HttpFetch::Headers& headers, const QDeadlineTimer& deadline) {
    QNetworkRequest request(address);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);

    const std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QByteArray body;
    bool tooLarge = false;
    bool timedOut = false;
    const auto stopIfTooLarge = [&](qint64 size) {
        if (size > HttpFetch::maximumBodySize && !tooLarge) {
            tooLarge = true;
            body.clear();
            reply->abort();
        }
    };

    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            stopIfTooLarge(length.toLongLong());
    });
    // Only what has arrived: asked for more, Qt sets aside room for all of it first.
    const auto readArrived = [&] {
        body += reply->read(
            std::min(reply->bytesAvailable(), HttpFetch::maximumBodySize + 1 - body.size()));
        stopIfTooLarge(body.size() + reply->bytesAvailable());
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, [&] {
        if (!tooLarge)
            readArrived();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        timedOut = true;
        reply->abort();
    });
    timer.start(std::chrono::milliseconds(deadline.remainingTime()));
    if (!reply->isFinished())
        loop.exec();

    if (timedOut)
        return {HttpFetch::TransportError{HttpFetch::timedOutMessage}, std::nullopt};
    // Whenever the answer carries a status, the status decides, whatever error Qt makes of it
    // (it files 400 and 418 as protocol errors, 407 as a proxy's). Only a 200 answer, whose
    // body is used, fails when that body did not arrive whole.
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool bodyBroken =
        statusAttribute.toInt() == 200 && reply->error() != QNetworkReply::NoError;
    if (!tooLarge && (!statusAttribute.isValid() || bodyBroken))
        return {HttpFetch::TransportError{reply->errorString()}, std::nullopt};

    if (!tooLarge)
        readArrived();
    const int status = statusAttribute.toInt();
    std::optional<QUrl> location;
    if (isRedirect(status) && reply->hasRawHeader("Location"))
        location = address.resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
    return {HttpFetch::Response{status, tooLarge ? std::nullopt : std::optional(body),
                                reply->rawHeaderPairs()},
            location};
}

} // namespace

namespace HttpFetch {

Outcome get(const QUrl& address, const Headers& headers, int timeoutMilliseconds) {
    if (!isHttp(address))
        return Response{};
    const std::variant<QNetworkProxy, ProxySetting::Unusable> proxy =
        ProxySetting::forAddress(address);
    if (const auto* unusable = std::get_if<ProxySetting::Unusable>(&proxy))
        return TransportError{unusable->message};
    if (address.scheme() == QLatin1String("http") && carriesSignIn(headers)) {
        // Nor through a proxy elsewhere.
        const QNetworkProxy& through = std::get<QNetworkProxy>(proxy);
        const QString host =
            through.type() != QNetworkProxy::NoProxy ? through.hostName() : address.host();
        if (!isLoopback(host))
            return TransportError{
                QStringLiteral("Refusing to send the sign-in over plain http to %1.").arg(host)};
    }
    const QDeadlineTimer deadline(timeoutMilliseconds);
    // A fresh manager has no cache, and its cookie jar ends with the call: every answer comes
    // from the network and nothing outlives the call.
    QNetworkAccessManager manager;
    manager.setProxy(std::get<QNetworkProxy>(proxy));
    QUrl current = address;
    for (int redirects = 0;; ++redirects) {
        Exchange step = exchange(manager, current, headers, deadline);
        if (!step.location || redirects == maximumRedirects || !sameOrigin(current, *step.location))
            return step.outcome;
        current = *step.location;
    }
}

} // namespace HttpFetch
