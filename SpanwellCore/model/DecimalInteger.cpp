#include "model/DecimalInteger.h"

namespace DecimalInteger {

std::optional<qint64> parse(const QString& text) {
    const qsizetype signLength =
        text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-')) ? 1 : 0;
    if (text.size() == signLength)
        return std::nullopt;
    for (qsizetype index = signLength; index < text.size(); ++index)
        if (text.at(index) < QLatin1Char('0') || text.at(index) > QLatin1Char('9'))
            return std::nullopt;
    bool fits = false;
    const qint64 number = text.toLongLong(&fits);
    if (!fits)
        return std::nullopt;
    return number;
}

} // namespace DecimalInteger
