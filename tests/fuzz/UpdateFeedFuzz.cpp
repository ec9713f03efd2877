#include "FuzzTarget.h"

#include "service/UpdateCheck.h"

namespace {

bool isOnProductDomain(const QUrl& address) {
    const QString host = address.host();
    return address.scheme() == QLatin1String("https") &&
           (host == UpdateCheck::productDomain ||
            host.endsWith(QLatin1Char('.') + UpdateCheck::productDomain));
}

} // namespace

// The update feed. Whatever the document, an announced build is newer than the running one, and
// the page it names is an https address on the product's domain, also as the browser is handed
// it (the address written out and read again).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr qint64 runningBuild = 41;
    const std::optional<UpdateInfo> update =
        UpdateCheck::parse(fuzzInput(data, size), runningBuild);
    if (!update)
        return 0;
    FUZZ_EXPECT(update->build > runningBuild);
    FUZZ_EXPECT(isOnProductDomain(update->url));
    FUZZ_EXPECT(isOnProductDomain(QUrl(update->url.toString(QUrl::FullyEncoded))));
    return 0;
}
