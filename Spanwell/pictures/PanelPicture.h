#pragma once

#include "commandline/Dispatch.h"

#include <QImage>
#include <QPainterPath>
#include <QString>

#include <optional>

class QWidget;

// The panel drawn to a PNG file from the command line, with made-up accounts when asked.
namespace PanelPicture {

// The row position `open` names: a whole decimal number from 0 to below `rowCount`; nothing
// for any other text.
std::optional<qsizetype> openedRow(const std::optional<QString>& open, qsizetype rowCount);

// A transparent picture of `view` at the size its content needs, two pixels per point, for
// `drawBand`.
QImage canvas(QWidget& view);

// Draws the rows `band` (in pixels, starting and ending on whole points) of `view` into its
// canvas, transparent outside an outline whose corners curve smoothly over a radius of 10
// points. The bands drawn one by one make the same picture as one band of the whole.
void drawBand(QWidget& view, QImage& picture, const QRect& band);

// What lies outside that outline in a panel of `size` points, which `drawBand` clears.
QPainterPath outside(const QSize& size);

// The whole mode: the application on the offscreen platform unless one was chosen; the store
// (refreshed once, unless the mode asks for the demo store) and the panel; its picture written
// to the mode's path. Failures to draw or write are not reported: the mode ends the same way.
// Always 0; prints nothing.
int run(int& argc, char** argv, const Mode& mode);

} // namespace PanelPicture
