#include "commandline/TerminalStyle.h"

#include "model/DecimalInteger.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// What a terminal that tells nothing of its width is taken to be.
constexpr int usualColumns = 80;

std::optional<QString> variable(const char* name) {
    if (!qEnvironmentVariableIsSet(name))
        return std::nullopt;
    return qEnvironmentVariable(name);
}

} // namespace

namespace TerminalStyle {

TableStyle choose(const Facts& facts) {
    if (!facts.isTerminal)
        return {};
    TableStyle style;
    style.width = usualColumns;
    if (facts.windowColumns > 0) {
        style.width = facts.windowColumns;
    } else if (facts.columns) {
        const std::optional<qint64> columns = DecimalInteger::parse(*facts.columns);
        if (columns && *columns > 0 && *columns <= 100000)
            style.width = int(*columns);
    }
    style.colour = (!facts.noColor || facts.noColor->isEmpty()) &&
                   facts.term.value_or(QString()) != QLatin1String("dumb");
    return style;
}

Facts ofStandardOutput() {
    Facts facts;
    facts.isTerminal = ::isatty(STDOUT_FILENO) == 1;
    winsize size{};
    if (facts.isTerminal && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0)
        facts.windowColumns = size.ws_col;
    facts.columns = variable("COLUMNS");
    facts.noColor = variable("NO_COLOR");
    facts.term = variable("TERM");
    return facts;
}

} // namespace TerminalStyle
