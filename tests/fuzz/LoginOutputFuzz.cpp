#include "FuzzTarget.h"

#include "login/LoginOutput.h"

#include <algorithm>

namespace {

// White space in Unicode's sense: any separator, and the ASCII tab to carriage return.
bool isWhiteSpace(QChar character) {
    switch (character.category()) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return character >= u'\t' && character <= u'\r';
    }
}

} // namespace

// What Claude Code's login prints. A sign-in address is taken as written from the text without
// its terminal sequences, and ends at the first white space of any kind (a no-break space, a
// line separator).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString output = QString::fromUtf8(fuzzInput(data, size));
    if (const std::optional<QString> address = LoginOutput::signInURL(output)) {
        FUZZ_EXPECT(address->startsWith(QLatin1String("https://")) &&
                    LoginOutput::withoutTerminalSequences(output).contains(*address));
        FUZZ_EXPECT(std::none_of(address->begin(), address->end(), isWhiteSpace));
    }
    LoginOutput::lastLine(output);
    return 0;
}
