#pragma once

#include <QNetworkProxy>
#include <QString>
#include <QUrl>

#include <variant>

// The proxy a request goes through, chosen from the environment the way curl reads it, so that
// Spanwell reaches the service wherever the user's other programs do.
namespace ProxySetting {

// A proxy named in the environment that Spanwell cannot use: why, in a sentence for the user.
struct Unusable {
    QString message;
};

// For an https address `https_proxy`, else `HTTPS_PROXY`; for an http one `http_proxy` (only in
// lower case, as curl has it); for either, failing those, `all_proxy`, else `ALL_PROXY`. None
// when `no_proxy` (else `NO_PROXY`) names the host: "*" for every host, a host name with its
// subdomains (a leading dot is allowed), an address, or a range of addresses such as
// 10.0.0.0/8. A proxy is an http (the default) or socks5 address; without a port, 1080.
std::variant<QNetworkProxy, Unusable> forAddress(const QUrl& address);

// Whether requests to `host` go to no proxy by the value of no_proxy, `exceptions`.
bool isExcepted(const QString& host, const QString& exceptions);

} // namespace ProxySetting
