#pragma once

#include "views/Theme.h"

#include <QWidget>

#include <optional>

// A capsule progress bar, 5 high and as wide as the layout offers: a faint track the full
// width and a fill in `tint` from the leading edge (the right one in right-to-left layouts).
// A thin tick across the track can mark how much of the limit's window has gone, so that a
// fill running ahead of its tick shows use burning faster than time.
class Bar : public QWidget {
    Q_OBJECT

public:
    static constexpr int thickness = 5;
    // How far the tick stands out above and below the track, and how wide it is.
    static constexpr int tickOverhang = 2;
    static constexpr double tickWidth = 1.5;

    // `fraction` 1.0 is full; anything above is shown full.
    Bar(double fraction, Theme::Role tint, QWidget* parent = nullptr);

    double fraction() const { return filled; }
    Theme::Role tint() const { return tintRole; }
    // The share of the window gone, 0 to 1, where the tick stands; none draws no tick.
    std::optional<double> elapsedShare() const { return tickShare; }
    void setElapsedShare(std::optional<double> share);

    // The width of the fill on a track `available` wide: none for no use, at least a dot as
    // long as the bar is thick for any use, never more than the track.
    static double fillWidth(double available, double fraction);
    // The middle of the tick along a track `available` wide, from the leading edge; the whole
    // tick stays on the track.
    static double tickCentre(double available, double share);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double filled;
    Theme::Role tintRole;
    std::optional<double> tickShare;
};
