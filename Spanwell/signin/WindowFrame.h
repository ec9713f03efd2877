#pragma once

#include "views/Theme.h"

#include <QImage>
#include <QString>

// The frame a desktop draws around a window, drawn by us around a picture of the window's
// content: rounded top corners, a title bar with the title and a close button, a thin border.
namespace WindowFrame {

// `content` keeps its device pixel ratio, and so does the framed picture. Null when no image
// could be made.
QImage around(const QImage& content, const QString& title, const Theme& theme);

} // namespace WindowFrame
