#pragma once

#include "files/RegularFile.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QString>

class QPainter;

// The application's icon, drawn from code: a white rounded card with a blue gauge that is a
// little more than half full.
namespace AppIcon {

extern const QColor blue;

// Draws the icon into the square from (0, 0) to (size, size) of the painter's coordinates.
void draw(QPainter& painter, double size);

// The icon drawn on a transparent square `edge` pixels wide; a null image when one so large
// cannot be made.
QImage image(int edge);

// The icon for windows, the task switcher and messages, at the sizes they are offered, drawn
// when one is asked for rather than kept at every size while the program runs.
QIcon icon();

// Writes icon_16.png, icon_32.png, ... icon_1024.png into `folder`, creating it and any
// missing parents. Stops at the first failure, which it names; the files written before it
// stay. The paths are joined as text, so a trailing "/" on the folder doubles the separator.
RegularFile::Written write(const QString& folder);

} // namespace AppIcon
