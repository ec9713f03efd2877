#include "FuzzTarget.h"

#include "service/UsageParser.h"

#include <QSet>

// The usage service's replies, read as both the usage and the profile reply. Whatever the
// bytes, the readings have distinct titles, stay few enough for the panel to draw, and every
// date lies within the calendar's years.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray reply = fuzzInput(data, size);
    if (const std::optional<UsageParser::Usage> usage = UsageParser::usage(reply)) {
        QSet<QString> titles;
        for (const LimitReading& reading : usage->limits) {
            titles.insert(reading.title);
            FUZZ_EXPECT(isAbsentOrWritable(reading.resetsAt));
        }
        FUZZ_EXPECT(titles.size() == usage->limits.size());
        FUZZ_EXPECT(usage->limits.size() <= UsageParser::mostReadings);
    }
    if (const std::optional<Subscription> subscription = UsageParser::subscription(reply))
        FUZZ_EXPECT(isAbsentOrWritable(subscription->createdAt));
    return 0;
}
