#pragma once

#include "model/Calendar.h"
#include "model/HistoryReading.h"
#include "model/Instant.h"
#include "model/LimitReading.h"
#include "store/EntryStatus.h"

#include <QLocale>
#include <QWidget>

#include <optional>

class Bar;
class TextLabel;
class WeekChart;

// One limit in an expanded row: its title, a bar with the share of its window gone as a tick,
// the share used, when it resets and, for a limit running ahead of time, when it runs out. Or
// money against a limit: its title, a bar and the amounts.
class DetailRow : public QWidget {
    Q_OBJECT

public:
    // The widths of the title and figure columns, shared by the rows of one account so that
    // their bars line up and have one length: wide enough for the longest texts.
    struct Columns {
        int title = 0;
        int number = 0;
    };
    static Columns columns(const QList<LimitReading>& limits,
                           const QList<EntryStatus::MoneyMeter>& money = {});

    // `limit` as it stands at `now`; with its recent use, the last week's chart under the bar,
    // and a pace that follows the last hour.
    DetailRow(const LimitReading& limit, Instant now, const Calendar& calendar,
              const QLocale& locale, Columns columns, const QList<UsePoint>& recentUse = {},
              QWidget* parent = nullptr);
    DetailRow(const EntryStatus::MoneyMeter& money, Columns columns, QWidget* parent = nullptr);

    // "Resets in 2h 5m, 3:45 PM": the countdown, then the reset's clock time, with the
    // weekday when it falls on another day than `now`.
    static QString resetText(const LimitReading& limit, Instant now, const Calendar& calendar,
                             const QLocale& locale);
    // "At this pace, runs out around 15:40", with the weekday when that is not today; absent
    // unless the limit's use so far (lately, by `recentUse`) would use it up before its reset.
    static std::optional<QString> paceText(const LimitReading& limit, Instant now,
                                           const Calendar& calendar, const QLocale& locale,
                                           const QList<UsePoint>& recentUse = {});

    const Bar* bar() const { return usage; }
    const TextLabel* number() const { return numberLabel; }
    const TextLabel* title() const { return titleLabel; }
    // None for money.
    const TextLabel* reset() const { return resetLabel; }
    // None for a limit on pace or behind it.
    const TextLabel* pace() const { return paceLabel; }
    // None without recent use, and for money.
    const WeekChart* chart() const { return weekChart; }

private:
    // The title, the bar and the figure on one line.
    DetailRow(const QString& title, double percent, const QString& figure, Columns columns,
              QWidget* parent);

    Bar* usage;
    TextLabel* titleLabel;
    TextLabel* numberLabel;
    TextLabel* resetLabel = nullptr;
    TextLabel* paceLabel = nullptr;
    WeekChart* weekChart = nullptr;
};
