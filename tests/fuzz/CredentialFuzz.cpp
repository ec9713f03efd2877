#include "FuzzTarget.h"

#include "accounts/Credential.h"

#include <QJsonDocument>
#include <QJsonObject>

// The stored credential. One is read only from bytes that Qt's strict parser takes as they
// stand (JSON's own white space around the document, nothing else), with the token found there
// and dates within the calendar's years.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = fuzzInput(data, size);
    const std::optional<Credential> credential = Credential::parse(bytes);
    if (!credential)
        return 0;
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonValue token = document[QLatin1String("claudeAiOauth")][QLatin1String("accessToken")];
    FUZZ_EXPECT(!credential->accessToken.isEmpty() && token.toString() == credential->accessToken);
    FUZZ_EXPECT(isAbsentOrWritable(credential->expiresAt) &&
                isAbsentOrWritable(credential->loginExpiresAt));
    return 0;
}
