#pragma once

#include "model/Instant.h"
#include "model/LimitReading.h"

#include <QWidget>

class Bar;
class TextLabel;

// One limit in a collapsed row: its short title, a bar with the share of its window gone at
// `now` as a tick, and the share used. The grid of the
// row's meters places the three: the title in its column, then a bar as long as every other
// bar of the row, then the figure, none of them ever narrower than it needs.
class InlineMeter : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 6;

    InlineMeter(const LimitReading& limit, Instant now, QWidget* parent = nullptr);
    // Money against a limit: its title, a bar of the share used, and `figure`, the amounts.
    InlineMeter(const QString& title, double percent, const QString& figure,
                QWidget* parent = nullptr);

    const Bar* bar() const { return usage; }
    const TextLabel* title() const { return titleLabel; }
    const TextLabel* number() const { return numberLabel; }

    // The widths the two texts take; a limit's share takes at least the width of "100%".
    int titleWidth() const;
    int numberWidth() const;
    int lineHeight() const;

    // Puts the bar after a title column `titleColumn` wide, `trackLength` long, and the figure
    // after it; the meter takes the width that needs.
    void place(int titleColumn, int trackLength);

private:
    Bar* usage;
    TextLabel* titleLabel;
    TextLabel* numberLabel;
    int reservedNumberWidth = 0;
};
