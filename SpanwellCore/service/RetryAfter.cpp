#include "service/RetryAfter.h"

#include <QDateTime>

namespace RetryAfter {

std::optional<Instant> parse(const QByteArray& header, Instant now) {
    const QByteArray text = header.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    std::optional<Instant> at;
    bool isNumber = false;
    const qulonglong seconds = text.toULongLong(&isNumber);
    if (isNumber) {
        at = now + double(seconds);
    } else {
        // Qt reads the date of RFC 2822, which writes GMT as an offset.
        QString date = QString::fromLatin1(text);
        if (date.endsWith(QLatin1String(" GMT")))
            date = date.chopped(3) + QStringLiteral("+0000");
        const QDateTime read = QDateTime::fromString(date, Qt::RFC2822Date);
        if (read.isValid())
            at = Instant::fromDateTime(read);
    }
    if (!at || *at <= now)
        return std::nullopt;
    return at;
}

} // namespace RetryAfter
