#include "FuzzTarget.h"

#include "service/UpdateCheck.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

bool isOnProductDomain(const QUrl& address) {
    const QString host = address.host();
    return address.scheme() == QLatin1String("https") &&
           (host == UpdateCheck::productDomain ||
            host.endsWith(QLatin1Char('.') + UpdateCheck::productDomain));
}

void expectSound(const QByteArray& document) {
    constexpr qint64 runningBuild = 41;
    const std::optional<UpdateInfo> update = UpdateCheck::parse(document, runningBuild);
    if (!update)
        return;
    FUZZ_EXPECT(update->build > runningBuild);
    FUZZ_EXPECT(isOnProductDomain(update->url));
    FUZZ_EXPECT(isOnProductDomain(QUrl(update->url.toString(QUrl::FullyEncoded))));
}

} // namespace

// The update feed, read as a whole document and as the address in an otherwise acceptable one.
// Whatever the bytes, an announced build is newer than the running one, and the page it names
// is an https address on the product's domain, also as the browser is handed it (written out
// and read again).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input = fuzzInput(data, size);
    expectSound(input);
    expectSound(QJsonDocument(QJsonObject{{QStringLiteral("version"), QStringLiteral("1.4")},
                                          {QStringLiteral("build"), 42},
                                          {QStringLiteral("url"), QString::fromUtf8(input)}})
                    .toJson());
    return 0;
}
