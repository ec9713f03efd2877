#include "service/UpdateCheck.h"

#include "LogCategories.h"
#include "service/HttpFetch.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace {

const qsizetype maximumVersionLength = 20;

// Characters as the user sees them: an accented letter or a flag counts once.
qsizetype visibleLength(const QString& text) {
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (boundaries.toNextBoundary() > 0)
        ++count;
    return count;
}

// The whole part of a JSON number (true and false count as 1 and 0); absent for another type
// or a number beyond 64 bits.
std::optional<qint64> wholeNumber(const QJsonValue& value) {
    if (value.isBool())
        return value.toBool() ? 1 : 0;
    if (!value.isDouble())
        return std::nullopt;
    const double whole = std::trunc(value.toDouble());
    // 2^63 is exact as a double; every double below it converts without overflow.
    if (!(whole >= -9223372036854775808.0 && whole < 9223372036854775808.0))
        return std::nullopt;
    return static_cast<qint64>(whole);
}

// QUrl lower-cases scheme and host, so both are checked in the text as the feed wrote it.
bool isOnProductDomain(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    const QLatin1String prefix("https://");
    if (!url.isValid() || url.isRelative() || !text.startsWith(prefix) || url.host().isEmpty())
        return false;

    const QString rest = text.mid(prefix.size());
    const auto authorityEnd = std::find_if(rest.begin(), rest.end(), [](QChar character) {
        return character == u'/' || character == u'?' || character == u'#';
    });
    const QString authority = rest.left(authorityEnd - rest.begin());
    const QString hostAndPort = authority.mid(authority.lastIndexOf(QLatin1Char('@')) + 1);
    const QString host = hostAndPort.left(hostAndPort.indexOf(QLatin1Char(':')));
    if (host != url.host())
        return false;
    return host == UpdateCheck::productDomain ||
           host.endsWith(QLatin1Char('.') + UpdateCheck::productDomain);
}

} // namespace

namespace UpdateCheck {

QString feed() {
    const QString configured = qEnvironmentVariable("SPANWELL_UPDATE_FEED");
    return configured.isEmpty() ? QStringLiteral("https://spanwell.app/version.json") : configured;
}

std::optional<UpdateInfo> parse(const QByteArray& reply, qint64 currentBuild) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();

    const QJsonValue version = object.value(QLatin1String("version"));
    if (!version.isString() || version.toString().isEmpty() ||
        visibleLength(version.toString()) > maximumVersionLength)
        return std::nullopt;

    const std::optional<qint64> build = wholeNumber(object.value(QLatin1String("build")));
    if (!build || *build <= currentBuild)
        return std::nullopt;

    const QJsonValue url = object.value(QLatin1String("url"));
    if (!url.isString() || !isOnProductDomain(url.toString()))
        return std::nullopt;

    return UpdateInfo{version.toString(), *build, QUrl(url.toString(), QUrl::StrictMode)};
}

std::optional<UpdateInfo> fetch(const HttpFetch::Getter& get, qint64 currentBuild,
                                const QString& feedAddress, int timeoutMilliseconds) {
    const HttpFetch::Outcome outcome =
        get(QUrl(feedAddress), {{"User-Agent", HttpFetch::userAgent()}}, timeoutMilliseconds);
    const auto* response = std::get_if<HttpFetch::Response>(&outcome);
    if (!response || response->status != 200 || !response->body) {
        qCInfo(serviceLog) << "The update feed" << feedAddress << "gave no answer to read";
        return std::nullopt;
    }
    return parse(*response->body, currentBuild);
}

} // namespace UpdateCheck
