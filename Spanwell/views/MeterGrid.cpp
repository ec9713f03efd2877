#include "views/MeterGrid.h"

#include "views/Bar.h"
#include "views/InlineMeter.h"

#include <QStyle>

#include <algorithm>

namespace {

constexpr int leastColumns = 3;

int lines(qsizetype meters, int columns) {
    return int((meters + columns - 1) / columns);
}

} // namespace

MeterGrid::MeterGrid(const QList<LimitReading>& limits, Instant now,
                     const std::optional<EntryStatus::MoneyMeter>& spend, QWidget* parent)
    : QWidget(parent) {
    for (const LimitReading& limit : limits)
        shown.append(new InlineMeter(limit, now, this));
    if (spend)
        shown.append(new InlineMeter(spend->title, spend->percent(), spend->figure(), this));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

MeterGrid::Arrangement MeterGrid::arrange(const QList<int>& titleWidths,
                                          const QList<int>& numberWidths, int width) {
    const qsizetype count = titleWidths.size();
    Arrangement best;
    for (int columns = int(std::max<qsizetype>(count, leastColumns)); columns >= 1; --columns) {
        Arrangement candidate;
        candidate.columns = columns;
        candidate.columnWidth = (width - (columns - 1) * columnSpacing) / columns;
        candidate.titleColumns.fill(0, columns);
        QList<int> numberColumns(columns, 0);
        for (qsizetype index = 0; index < count; ++index) {
            const qsizetype column = index % columns;
            candidate.titleColumns[column] =
                std::max(candidate.titleColumns[column], titleWidths[index]);
            numberColumns[column] = std::max(numberColumns[column], numberWidths[index]);
        }
        candidate.trackLength = candidate.columnWidth;
        for (int column = 0; column < columns; ++column)
            candidate.trackLength = std::min(
                candidate.trackLength, candidate.columnWidth - candidate.titleColumns[column] -
                                           numberColumns[column] - 2 * InlineMeter::spacing);
        best = candidate;
        if (candidate.trackLength >= shortestTrack * Bar::thickness)
            break;
    }
    // A width too narrow for even one column still shows every text whole.
    best.trackLength = std::max(best.trackLength, 0);
    return best;
}

MeterGrid::Arrangement MeterGrid::arrangement(int width) const {
    QList<int> titles;
    QList<int> numbers;
    for (const InlineMeter* meter : shown) {
        titles.append(meter->titleWidth());
        numbers.append(meter->numberWidth());
    }
    const QMargins margins = contentsMargins();
    return arrange(titles, numbers, width - margins.left() - margins.right());
}

int MeterGrid::heightForWidth(int width) const {
    if (shown.isEmpty())
        return 0;
    const int count = lines(shown.size(), arrangement(width).columns);
    const QMargins margins = contentsMargins();
    return count * shown.first()->lineHeight() + (count - 1) * lineSpacing + margins.top() +
           margins.bottom();
}

// Room for three columns of the widest meter with the shortest bar.
QSize MeterGrid::sizeHint() const {
    int widest = 0;
    for (const InlineMeter* meter : shown)
        widest = std::max(widest, meter->titleWidth() + meter->numberWidth());
    const QMargins margins = contentsMargins();
    const int width =
        leastColumns * (widest + 2 * InlineMeter::spacing + shortestTrack * Bar::thickness) +
        (leastColumns - 1) * columnSpacing + margins.left() + margins.right();
    return {width, heightForWidth(width)};
}

QSize MeterGrid::minimumSizeHint() const {
    return {0, 0};
}

void MeterGrid::resizeEvent(QResizeEvent*) {
    const Arrangement grid = arrangement(width());
    const QRect area = contentsRect();
    for (qsizetype index = 0; index < shown.size(); ++index) {
        InlineMeter* meter = shown[index];
        const int column = int(index % grid.columns);
        const int line = int(index / grid.columns);
        meter->place(grid.titleColumns[column], grid.trackLength);
        const QRect cell(area.left() + column * (grid.columnWidth + columnSpacing),
                         area.top() + line * (meter->lineHeight() + lineSpacing), meter->width(),
                         meter->height());
        meter->move(QStyle::visualRect(layoutDirection(), area, cell).topLeft());
    }
}
