#include "FuzzTarget.h"

#include "model/ISODate.h"

// The usage service's timestamps. The text is not trimmed: nothing may follow the zone, not
// even a line feed. An instant beyond the calendar's years, which an offset can reach from its
// first or last day, is refused.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(fuzzInput(data, size));
    const std::optional<Instant> instant = ISODate::parse(text);
    FUZZ_EXPECT(isAbsentOrWritable(instant));
    if (text.endsWith(QLatin1Char('\n')))
        FUZZ_EXPECT(!instant);
    return 0;
}
