#include "accounts/Keychain.h"

#include "process/ChildProcess.h"

namespace Keychain {

std::optional<Credential> readCredential(const QString& service, double timeoutSeconds,
                                         const QString& toolPath) {
    ChildProcess::Request request;
    request.program = toolPath;
    request.arguments = {QStringLiteral("find-generic-password"), QStringLiteral("-s"), service,
                         QStringLiteral("-w")};
    request.input = ChildProcess::Stream::inherited;
    request.output = ChildProcess::Stream::captured;
    // The tool's complaints are never shown; discarding them keeps a chatty tool from filling
    // a pipe nobody reads and stalling until its time limit.
    request.error = ChildProcess::Stream::nullDevice;
    request.timeoutSeconds = timeoutSeconds;

    const ChildProcess::Result result = ChildProcess::run(request);
    if (!result.succeeded())
        return std::nullopt;
    return Credential::parse(result.output);
}

} // namespace Keychain
