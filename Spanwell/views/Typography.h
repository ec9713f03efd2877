#pragma once

#include <QFont>

// Type sizes are given in points of a 384-wide panel, which are Qt's device-independent
// pixels; fonts are therefore sized in pixels, never in points (a point would follow the
// screen's dots per inch and grow the text against the layout).
namespace Typography {

// The desktop's own font at `size` (rounded to whole pixels). Its digits are expected to be
// of one width, as in DejaVu Sans, so that countdowns do not jitter.
QFont font(double size, QFont::Weight weight = QFont::Normal);
// The desktop's fixed-pitch font, for command lines to read or copy.
QFont monospaced(double size);

} // namespace Typography
