#include "views/DetailRow.h"

#include "model/Format.h"
#include "model/LimitWindow.h"
#include "model/Pace.h"
#include "views/Bar.h"
#include "views/TextLabel.h"
#include "views/Typography.h"
#include "views/UsageTint.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int lineSpacing = 3;
constexpr int columnSpacing = 8;
constexpr int leastTitleWidth = 80;
constexpr int leastNumberWidth = 72;
constexpr double textSize = 12;
constexpr double resetSize = 11;

QString usedText(double percent) {
    return Format::percent(percent) + QStringLiteral(" used");
}

// The hour in the locale's own cycle (with its AM/PM marker where it has one) and minutes;
// seconds, which some locales' short form carries, are left out.
QString clockTime(const QDateTime& moment, const QLocale& locale) {
    static const QRegularExpression seconds(QStringLiteral("[.:]s+"));
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(seconds);
    return locale.toString(moment.time(), format);
}

// The clock time of `at`, after its weekday when it falls on another day than `now`.
QString clockText(Instant at, Instant now, const Calendar& calendar, const QLocale& locale) {
    const QDateTime moment = calendar.dateTime(at);
    const QString clock = clockTime(moment, locale);
    if (calendar.isSameDay(at, now))
        return clock;
    return locale.toString(moment.date(), QStringLiteral("ddd")) + QLatin1Char(' ') + clock;
}

} // namespace

DetailRow::Columns DetailRow::columns(const QList<LimitReading>& limits) {
    const QFontMetrics titles(Typography::font(textSize));
    const QFontMetrics numbers(Typography::font(textSize, QFont::Medium));
    Columns widths{leastTitleWidth, leastNumberWidth};
    for (const LimitReading& limit : limits) {
        widths.title = std::max(widths.title, titles.horizontalAdvance(limit.title));
        widths.number = std::max(widths.number, numbers.horizontalAdvance(usedText(limit.percent)));
    }
    return widths;
}

DetailRow::DetailRow(const LimitReading& limit, Instant now, const Calendar& calendar,
                     const QLocale& locale, Columns widths, QWidget* parent)
    : QWidget(parent)
    , usage(new Bar(limit.percent / 100, UsageTint::bar(limit.percent)))
    , titleLabel(new TextLabel(limit.title, Typography::font(textSize), Theme::Role::primaryText))
    , numberLabel(new TextLabel(usedText(limit.percent), Typography::font(textSize, QFont::Medium),
                                UsageTint::number(limit.percent)))
    , resetLabel(new TextLabel(resetText(limit, now, calendar, locale), Typography::font(resetSize),
                               Theme::Role::secondaryText)) {
    titleLabel->setFixedWidth(widths.title);
    numberLabel->setFixedWidth(widths.number);
    numberLabel->setAlignment(Qt::AlignTrailing | Qt::AlignVCenter);
    resetLabel->setElideMode(Qt::ElideRight);
    // Starts under the bar.
    resetLabel->setContentsMargins(widths.title + columnSpacing, 0, 0, 0);
    usage->setElapsedShare(LimitWindow::elapsedShare(limit, now));

    auto* line = new QHBoxLayout;
    line->setSpacing(columnSpacing);
    line->addWidget(titleLabel);
    line->addWidget(usage, 1);
    line->addWidget(numberLabel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(lineSpacing);
    layout->addLayout(line);
    layout->addWidget(resetLabel);

    const std::optional<QString> pace = paceText(limit, now, calendar, locale);
    if (!pace)
        return;
    paceLabel = new TextLabel(*pace, Typography::font(resetSize), Theme::Role::secondaryText);
    paceLabel->setObjectName(QStringLiteral("pace"));
    paceLabel->setElideMode(Qt::ElideRight);
    paceLabel->setContentsMargins(widths.title + columnSpacing, 0, 0, 0);
    layout->addWidget(paceLabel);
}

QString DetailRow::resetText(const LimitReading& limit, Instant now, const Calendar& calendar,
                             const QLocale& locale) {
    if (!limit.resetsAt)
        return QStringLiteral("Not started, nothing to reset");
    return QStringLiteral("Resets in ") + Format::countdown(*limit.resetsAt, now) +
           QStringLiteral(", ") + clockText(*limit.resetsAt, now, calendar, locale);
}

std::optional<QString> DetailRow::paceText(const LimitReading& limit, Instant now,
                                           const Calendar& calendar, const QLocale& locale) {
    const std::optional<Instant> runsOut = Pace::runsOutAt(limit, now);
    if (!runsOut)
        return std::nullopt;
    return QStringLiteral("At this pace, runs out around ") +
           clockText(*runsOut, now, calendar, locale);
}
