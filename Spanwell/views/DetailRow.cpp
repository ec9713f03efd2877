#include "views/DetailRow.h"

#include "model/Format.h"
#include "model/LimitWindow.h"
#include "model/Pace.h"
#include "views/Bar.h"
#include "views/TextLabel.h"
#include "views/Typography.h"
#include "views/UsageTint.h"
#include "views/WeekChart.h"

#include <QFontMetrics>
#include <QHBoxLayout>
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

} // namespace

DetailRow::Columns DetailRow::columns(const QList<LimitReading>& limits,
                                      const QList<EntryStatus::MoneyMeter>& money) {
    const QFontMetrics titles(Typography::font(textSize));
    const QFontMetrics numbers(Typography::font(textSize, QFont::Medium));
    Columns widths{leastTitleWidth, leastNumberWidth};
    const auto fit = [&](const QString& title, const QString& figure) {
        widths.title = std::max(widths.title, titles.horizontalAdvance(title));
        widths.number = std::max(widths.number, numbers.horizontalAdvance(figure));
    };
    for (const LimitReading& limit : limits)
        fit(limit.title, usedText(limit.percent));
    for (const EntryStatus::MoneyMeter& meter : money)
        fit(meter.title, meter.figure());
    return widths;
}

DetailRow::DetailRow(const QString& title, double percent, const QString& figure, Columns widths,
                     QWidget* parent)
    : QWidget(parent)
    , usage(new Bar(percent / 100, UsageTint::bar(percent)))
    , titleLabel(new TextLabel(title, Typography::font(textSize), Theme::Role::primaryText))
    , numberLabel(new TextLabel(figure, Typography::font(textSize, QFont::Medium),
                                UsageTint::number(percent))) {
    titleLabel->setFixedWidth(widths.title);
    numberLabel->setFixedWidth(widths.number);
    numberLabel->setAlignment(Qt::AlignTrailing | Qt::AlignVCenter);

    auto* line = new QHBoxLayout;
    line->setSpacing(columnSpacing);
    line->addWidget(titleLabel);
    line->addWidget(usage, 1);
    line->addWidget(numberLabel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(lineSpacing);
    layout->addLayout(line);
}

DetailRow::DetailRow(const EntryStatus::MoneyMeter& money, Columns widths, QWidget* parent)
    : DetailRow(money.title, money.percent(), money.figure(), widths, parent) {}

DetailRow::DetailRow(const LimitReading& limit, Instant now, const Calendar& calendar,
                     const QLocale& locale, Columns widths, const QList<UsePoint>& recentUse,
                     QWidget* parent)
    : DetailRow(limit.title, limit.percent, usedText(limit.percent), widths, parent) {
    usage->setElapsedShare(LimitWindow::elapsedShare(limit, now));
    if (!recentUse.isEmpty()) {
        weekChart = new WeekChart(recentUse, now, calendar);
        // As long as the bar, under it.
        auto* under = new QHBoxLayout;
        under->setContentsMargins(widths.title + columnSpacing, 0, widths.number + columnSpacing,
                                  0);
        under->addWidget(weekChart);
        static_cast<QVBoxLayout*>(layout())->addLayout(under);
    }
    resetLabel = new TextLabel(resetText(limit, now, calendar, locale), Typography::font(resetSize),
                               Theme::Role::secondaryText);
    resetLabel->setElideMode(Qt::ElideRight);
    // Starts under the bar.
    resetLabel->setContentsMargins(widths.title + columnSpacing, 0, 0, 0);
    layout()->addWidget(resetLabel);

    const std::optional<QString> pace = paceText(limit, now, calendar, locale, recentUse);
    if (!pace)
        return;
    paceLabel = new TextLabel(*pace, Typography::font(resetSize), Theme::Role::secondaryText);
    paceLabel->setObjectName(QStringLiteral("pace"));
    paceLabel->setElideMode(Qt::ElideRight);
    paceLabel->setContentsMargins(widths.title + columnSpacing, 0, 0, 0);
    layout()->addWidget(paceLabel);
}

QString DetailRow::resetText(const LimitReading& limit, Instant now, const Calendar& calendar,
                             const QLocale& locale) {
    if (!limit.resetsAt)
        return QStringLiteral("Not started, nothing to reset");
    return QStringLiteral("Resets in ") + Format::countdown(*limit.resetsAt, now) +
           QStringLiteral(", ") + Format::clockText(*limit.resetsAt, now, calendar, locale);
}

std::optional<QString> DetailRow::paceText(const LimitReading& limit, Instant now,
                                           const Calendar& calendar, const QLocale& locale,
                                           const QList<UsePoint>& recentUse) {
    const std::optional<Instant> runsOut = Pace::runsOutAt(limit, now, recentUse);
    if (!runsOut)
        return std::nullopt;
    return QStringLiteral("At this pace, runs out around ") +
           Format::clockText(*runsOut, now, calendar, locale);
}
