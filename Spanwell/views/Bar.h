#pragma once

#include "views/Theme.h"

#include <QWidget>

// A capsule progress bar, 5 high and as wide as the layout offers: a faint track the full
// width and a fill in `tint` from the leading edge (the right one in right-to-left layouts).
class Bar : public QWidget {
    Q_OBJECT

public:
    static constexpr int thickness = 5;

    // `fraction` 1.0 is full; anything above is shown full.
    Bar(double fraction, Theme::Role tint, QWidget* parent = nullptr);

    double fraction() const { return filled; }
    Theme::Role tint() const { return tintRole; }

    // The width of the fill on a track `available` wide: none for no use, at least a dot as
    // long as the bar is thick for any use, never more than the track.
    static double fillWidth(double available, double fraction);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double filled;
    Theme::Role tintRole;
};
