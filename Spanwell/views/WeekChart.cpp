#include "views/WeekChart.h"

#include "views/Theme.h"
#include "views/UsageTint.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr double lineWidth = 1.25;
constexpr double fillOpacity = 0.18;
constexpr double dayLineOpacity = 0.6;
constexpr double trackOpacity = 0.16;
constexpr double todayTickWidth = 1.5;

double xOf(Instant instant, Instant now, double width) {
    return std::clamp(1 - (now - instant) / WeekChart::spanSeconds, 0.0, 1.0) * width;
}

// On a whole device pixel, so that a line one pixel wide stays sharp at every scale.
double snapped(double at, double ratio) {
    return std::round(at * ratio) / ratio;
}

double yOf(double percent, double height) {
    // Half the line's width inside at either end, so that 0 % and 100 % are not cut.
    const double inset = lineWidth / 2;
    const double share = std::clamp(percent / usedUpPercent, 0.0, 1.0);
    return inset + (1 - share) * (height - 2 * inset);
}

} // namespace

WeekChart::WeekChart(QList<UsePoint> points, Instant now, const Calendar& calendar, QWidget* parent)
    : QWidget(parent)
    , present(now) {
    for (const UsePoint& point : points)
        if (point.readAt <= now && now - point.readAt <= spanSeconds)
            shown.append(point);
    const QDateTime today = calendar.dateTime(now);
    for (int daysBack = 0; daysBack < 7; ++daysBack) {
        const QDateTime midnight = today.date().addDays(-daysBack).startOfDay(calendar.timeZone());
        if (midnight.isValid() && now - Instant::fromDateTime(midnight) < spanSeconds)
            midnights.prepend(Instant::fromDateTime(midnight));
    }
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Use over the last 7 days"));
}

QSize WeekChart::sizeHint() const {
    return {40, chartHeight};
}

QList<QPointF> WeekChart::outline(const QList<UsePoint>& points, Instant now, QSizeF size) {
    QList<QPointF> line;
    for (const UsePoint& point : points) {
        const QPointF at(xOf(point.readAt, now, size.width()), yOf(point.percent, size.height()));
        // Lower on screen is less use: a fall is a reset, seen at this reading.
        if (!line.isEmpty() && at.y() > line.last().y())
            line.append(QPointF(at.x(), line.last().y()));
        line.append(at);
    }
    return line;
}

void WeekChart::paintEvent(QPaintEvent*) {
    const Theme theme = Theme::of(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF size = this->size();
    if (isRightToLeft()) {
        painter.translate(size.width(), 0);
        painter.scale(-1, 1);
    }

    QColor track = theme.primaryText;
    track.setAlphaF(track.alphaF() * float(trackOpacity));
    painter.fillRect(QRectF(0, size.height() - 1, size.width(), 1), track);
    QColor dayLine = theme.separator;
    dayLine.setAlphaF(dayLine.alphaF() * float(dayLineOpacity));
    for (const Instant midnight : std::as_const(midnights)) {
        const double x = xOf(midnight, present, size.width());
        const bool today = midnight == midnights.last();
        const double width = today ? todayTickWidth : 1;
        painter.fillRect(
            QRectF(snapped(x - width / 2, devicePixelRatioF()), 0, width, size.height()),
            today ? theme.secondaryText : dayLine);
    }

    const QList<QPointF> line = outline(shown, present, size);
    if (line.isEmpty())
        return;
    const QColor tint = theme.colour(UsageTint::bar(shown.last().percent));
    QPainterPath area;
    area.moveTo(line.first().x(), size.height());
    for (const QPointF& point : line)
        area.lineTo(point);
    area.lineTo(line.last().x(), size.height());
    area.closeSubpath();
    QColor fill = tint;
    fill.setAlphaF(float(fillOpacity));
    painter.fillPath(area, fill);

    QPainterPath path(line.first());
    for (const QPointF& point : line)
        path.lineTo(point);
    QPen pen(tint, lineWidth);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    painter.strokePath(path, pen);
}
