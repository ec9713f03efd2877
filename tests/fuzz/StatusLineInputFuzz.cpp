#include "FuzzTarget.h"

#include "commandline/StatusLineInput.h"
#include "commandline/StatusLineText.h"

#include <QRegularExpression>

// What Claude Code hands its status line. Whatever the bytes, the figures taken are within
// their bounds and their dates a calendar can write, and the line drawn from them is one line
// whose only control characters are those of its colours.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QList<LimitReading> readings =
        StatusLineInput::readings(fuzzInput(data, size)).value_or(QList<LimitReading>());
    for (const LimitReading& reading : readings)
        FUZZ_EXPECT(reading.percent >= 0 && reading.percent <= 1000 &&
                    isAbsentOrWritable(reading.resetsAt));
    static const QRegularExpression colour(QStringLiteral("\x1b\\[[0-9]+m"));
    static const QRegularExpression control(QStringLiteral("[\\x00-\\x1f\\x7f]"));
    const Instant now(800000000);
    const Entry entry{Account{}, StatusLineInput::applied({}, readings, now), {}, now};
    for (const bool colours : {false, true}) {
        const QString line = StatusLineText::line(entry, entry, now, colours);
        FUZZ_EXPECT(!QString(line).remove(colour).contains(control) &&
                    (colours || !line.contains(QChar(0x1b))));
    }
    return 0;
}
