#include "FuzzTarget.h"

#include "model/ISODate.h"

// The usage service's timestamps. The text is not trimmed: nothing may follow the zone, not
// even a line feed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(fuzzInput(data, size));
    const std::optional<Instant> instant = ISODate::parse(text);
    if (text.endsWith(QLatin1Char('\n')))
        FUZZ_EXPECT(!instant);
    return 0;
}
