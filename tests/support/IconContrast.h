#pragma once

#include <QColor>
#include <QImage>

// Whether a tray icon can be made out on a panel of a given colour, from its pixels: laid over
// the panel, at least a tenth of its square must stand out from the panel by a contrast ratio
// of 3:1 or more, the least that graphics need to be seen. A glyph in the panel's own tone
// shows nothing; one with a plate of the opposite tone shows on either tone.
namespace IconContrast {

// The ratio of relative luminances, lighter over darker, each plus 0.05: 1 to 21.
double ratio(const QColor& one, const QColor& other);
// `top`, with its transparency, laid over the opaque `ground`.
QColor laidOver(const QColor& top, const QColor& ground);
bool isReadable(const QImage& icon, const QColor& panel);

} // namespace IconContrast
