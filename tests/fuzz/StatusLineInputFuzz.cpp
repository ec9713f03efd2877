#include "FuzzTarget.h"

#include "commandline/StatusLineInput.h"
#include "commandline/StatusLineText.h"

#include <QRegularExpression>

#include <algorithm>

// What Claude Code hands its status line. Whatever the bytes, the figures taken are within
// their bounds and their dates a calendar can write, and the line drawn from them is one line
// whose only control characters are the colours' own.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<QList<LimitReading>> readings =
        StatusLineInput::readings(fuzzInput(data, size));
    if (!readings)
        return 0;
    for (const LimitReading& reading : *readings)
        FUZZ_EXPECT(reading.percent >= 0 && reading.percent <= 1000 &&
                    isAbsentOrWritable(reading.resetsAt));
    const Instant now(800000000);
    const Entry entry{Account{}, StatusLineInput::applied(std::nullopt, *readings, now), {}, now};
    for (const bool colours : {false, true}) {
        const QString line = StatusLineText::line(entry, entry, now, colours);
        const QString plain = QString(line).remove(QRegularExpression("\x1b\\[[0-9]+m"));
        FUZZ_EXPECT(std::none_of(plain.begin(), plain.end(), [](QChar character) {
            return character.category() == QChar::Other_Control;
        }));
        FUZZ_EXPECT(colours || plain == line);
    }
    return 0;
}
