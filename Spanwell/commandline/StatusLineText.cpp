#include "commandline/StatusLineText.h"

#include "model/Format.h"
#include "model/PrintableText.h"
#include "store/EntryStatus.h"

#include <algorithm>

namespace {

// From this share on a figure turns yellow, as the tray program warns.
constexpr double warnFromPercent = 80;

const QLatin1String green("\x1b[32m");
const QLatin1String yellow("\x1b[33m");
const QLatin1String red("\x1b[31m");
const QLatin1String plain("\x1b[0m");

std::optional<LimitReading> reading(const Entry& entry, QLatin1String title, Instant now) {
    const QList<LimitReading> readings = EntryStatus::currentLimits(entry, now);
    const auto found = std::find_if(readings.begin(), readings.end(),
                                    [title](const LimitReading& r) { return r.title == title; });
    return found == readings.end() ? std::nullopt : std::optional(*found);
}

QString coloured(const QString& text, double percent, bool colours) {
    if (!colours)
        return text;
    const QLatin1String colour = percent >= usedUpPercent     ? red
                                 : percent >= warnFromPercent ? yellow
                                                              : green;
    return colour + text + plain;
}

// "session 24% · 3h 12m", "week 41%", or "session -" when there is no such reading.
QString figure(const Entry& entry, QLatin1String title, bool countdown, Instant now, bool colours) {
    const QString name = QString(title).toLower() + QLatin1Char(' ');
    const std::optional<LimitReading> found = reading(entry, title, now);
    if (!found)
        return name + QLatin1Char('-');
    QString text = name + Format::percent(found->percent);
    if (countdown && found->resetsAt)
        text += QStringLiteral(" \u00B7 ") + Format::countdown(*found->resetsAt, now);
    return coloured(text, found->percent, colours);
}

} // namespace

namespace StatusLineText {

bool wantsAnother(const Entry& entry, Instant now) {
    const std::optional<LimitReading> session = reading(entry, LimitTitle::session, now);
    return (session && session->percent >= runningOutPercent) ||
           EntryStatus::verdict(entry, now).level == AccountStatus::Level::blocked;
}

QString line(const Entry& entry, const std::optional<Entry>& other, Instant now, bool colours) {
    QString text = figure(entry, LimitTitle::session, true, now, colours) + QStringLiteral("  ") +
                   figure(entry, LimitTitle::week, false, now, colours);
    if (other) {
        text += QStringLiteral("  \u2192 ") + PrintableText::escaped(other->account.email);
        if (const std::optional<LimitReading> session = reading(*other, LimitTitle::session, now))
            text += QLatin1Char(' ') + Format::percent(session->percent);
    }
    return text;
}

QString noFigures() {
    return QStringLiteral("Spanwell: no usage figures for this account yet");
}

} // namespace StatusLineText
