#pragma once

#include "service/HttpFetch.h"

#include <QString>

#include <memory>

// The network calls of a program that must not load Qt Network itself (the tray program, which
// runs all day), made by a child of it (`--network-child`) that serves any number of calls at
// once and ends after a few idle seconds. Started at the first call and again after it ended;
// every function may be called from any number of worker threads at once, never from the
// interface thread, as `HttpFetch::get`.
class NetworkChild {
public:
    // How long past its own time limit a call waits for a child that stopped answering.
    static constexpr int graceMilliseconds = 5000;

    // `program` is this program's executable.
    static std::shared_ptr<NetworkChild> make(QString program);
    ~NetworkChild();
    NetworkChild(const NetworkChild&) = delete;
    NetworkChild& operator=(const NetworkChild&) = delete;

    // As `HttpFetch::get`. A call the child could not make because it ended meanwhile (idle, as
    // the call came) is made once more by a new child; one that fails again, or a child that
    // cannot be started, ends as a transport error.
    HttpFetch::Outcome get(const QUrl& address, const HttpFetch::Headers& headers,
                           int timeoutMilliseconds);
    // `get` of this child, which keeps it alive.
    static HttpFetch::Getter getterOf(std::shared_ptr<NetworkChild> child);

private:
    struct Shared;
    struct Run;

    explicit NetworkChild(QString program);

    std::shared_ptr<Shared> shared;
};
