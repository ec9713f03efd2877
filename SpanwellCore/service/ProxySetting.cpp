#include "service/ProxySetting.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace {

// curl's default port for every kind of proxy.
constexpr int defaultProxyPort = 1080;

// The first of the variables that is set and not empty.
QString firstSet(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const QString value = qEnvironmentVariable(name).trimmed();
        if (!value.isEmpty())
            return value;
    }
    return {};
}

bool matchesAddress(const QHostAddress& host, const QString& pattern) {
    const qsizetype slash = pattern.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return host.isEqual(QHostAddress(pattern), QHostAddress::TolerantConversion);
    const std::pair<QHostAddress, int> subnet = QHostAddress::parseSubnet(pattern);
    return !subnet.first.isNull() && host.isInSubnet(subnet);
}

} // namespace

namespace ProxySetting {

bool isExcepted(const QString& host, const QString& exceptions) {
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    const QString name = host.toLower();
    const QHostAddress address(name);
    for (QString pattern : exceptions.split(separators, Qt::SkipEmptyParts)) {
        if (pattern == QLatin1String("*"))
            return true;
        if (pattern.startsWith(QLatin1Char('[')))
            pattern.remove(QLatin1Char('[')).remove(QLatin1Char(']'));
        if (!address.isNull()) {
            if (matchesAddress(address, pattern))
                return true;
            continue;
        }
        while (pattern.startsWith(QLatin1Char('.')))
            pattern.remove(0, 1);
        pattern = pattern.toLower();
        if (!pattern.isEmpty() && (name == pattern || name.endsWith(QLatin1Char('.') + pattern)))
            return true;
    }
    return false;
}

std::variant<QNetworkProxy, Unusable> forAddress(const QUrl& address) {
    const bool secure = address.scheme() == QLatin1String("https");
    QString setting = secure ? firstSet({"https_proxy", "HTTPS_PROXY"}) : firstSet({"http_proxy"});
    if (setting.isEmpty())
        setting = firstSet({"all_proxy", "ALL_PROXY"});
    if (setting.isEmpty() || isExcepted(address.host(), firstSet({"no_proxy", "NO_PROXY"})))
        return QNetworkProxy(QNetworkProxy::NoProxy);

    const QUrl proxy(setting.contains(QLatin1String("://")) ? setting
                                                            : QStringLiteral("http://") + setting);
    const QString scheme = proxy.scheme().toLower();
    QNetworkProxy::ProxyType type = QNetworkProxy::HttpProxy;
    if (scheme == QLatin1String("socks5") || scheme == QLatin1String("socks5h"))
        type = QNetworkProxy::Socks5Proxy;
    else if (scheme != QLatin1String("http"))
        return Unusable{QStringLiteral("The proxy %1 is of a kind Spanwell cannot use; it uses "
                                       "http and socks5 proxies.")
                            .arg(proxy.toDisplayString(QUrl::RemoveUserInfo))};
    if (!proxy.isValid() || proxy.host().isEmpty())
        return Unusable{QStringLiteral("The proxy named in the environment cannot be read.")};
    return QNetworkProxy(type, proxy.host(), quint16(proxy.port(defaultProxyPort)),
                         proxy.userName(QUrl::FullyDecoded), proxy.password(QUrl::FullyDecoded));
}

} // namespace ProxySetting
