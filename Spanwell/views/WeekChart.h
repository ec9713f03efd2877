#pragma once

#include "model/Calendar.h"
#include "model/HistoryReading.h"
#include "model/Instant.h"

#include <QPointF>
#include <QWidget>

// A limit's last seven days under its bar: its use over time as a line over a faint fill, each
// reset a drop straight down, the days parted by faint lines and today's start marked by a
// tick. Drawn in the panel's colours at the screen's own resolution.
class WeekChart : public QWidget {
    Q_OBJECT

public:
    static constexpr double spanSeconds = 7 * 86400;
    static constexpr int chartHeight = 22;

    // `points` oldest first; those before the week or after `now` are left out.
    WeekChart(QList<UsePoint> points, Instant now, const Calendar& calendar,
              QWidget* parent = nullptr);

    // The line through `points` in a box `size` large, left to right from the week's start to
    // `now`, 0 % at the bottom and 100 % (or more) at the top: a rise is drawn as it went, a
    // fall (a reset) straight down where it was seen.
    static QList<QPointF> outline(const QList<UsePoint>& points, Instant now, QSizeF size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<UsePoint> shown;
    Instant present;
    // The local midnights within the week, the last of them today's.
    QList<Instant> midnights;
};
