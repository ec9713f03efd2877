#pragma once

#include "model/Instant.h"
#include "model/LimitReading.h"
#include "store/EntryStatus.h"

#include <QList>
#include <QWidget>

class InlineMeter;

// The meters of a collapsed row, in columns of equal width: three, so that rows with few limits
// stay in step with each other, or as many as the limits when they all fit on one line, or
// fewer when three would squeeze the bars. Limits that do not fit on a line go on to the next.
// Every bar of the grid has the same length, so fills compare across limits whatever the
// titles and figures beside them; no title or figure is ever cut.
class MeterGrid : public QWidget {
    Q_OBJECT

public:
    // The shortest bar worth drawing, in multiples of its thickness.
    static constexpr int shortestTrack = 3;
    static constexpr int columnSpacing = 14;
    static constexpr int lineSpacing = 6;

    struct Arrangement {
        int columns = 1;
        int columnWidth = 0;
        int trackLength = 0;
        // Per column: the widest title in it.
        QList<int> titleColumns;
    };

    // Each bar marks how much of its window has gone at `now`. A seat's spend follows the
    // limits.
    MeterGrid(const QList<LimitReading>& limits, Instant now,
              const std::optional<EntryStatus::MoneyMeter>& spend = std::nullopt,
              QWidget* parent = nullptr);

    QList<InlineMeter*> meters() const { return shown; }

    // How meters whose texts need `titleWidths` and `numberWidths` are laid out in `width`.
    static Arrangement arrange(const QList<int>& titleWidths, const QList<int>& numberWidths,
                               int width);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    Arrangement arrangement(int width) const;

    QList<InlineMeter*> shown;
};
