#pragma once

#include "files/RegularFile.h"

#include <QImage>
#include <QString>

#include <functional>

// PNG files for the pictures, written quickly: every row unfiltered, a row that repeats the row
// above written as such and the others compressed by one of zlib's fast levels, in bands at once
// on the processors there are. Qt's own writer tries every row filter
// on every row, which takes several times as long as drawing the panel, for files no smaller;
// libpng feeds zlib from one thread only, so the few chunks around the data are written here.
namespace PngEncoding {

// Eight bits per channel with alpha, not interlaced, marked as sRGB. Replaces the file at `path`
// whole (a link there is replaced, not followed), without waiting for the disk; whatever was
// there stays as it was when the image is null or the file could not be written, which the
// result says.
RegularFile::Written write(const QImage& picture, const QString& path);

// Draws one band of rows of the picture: the band's rectangle, in pixels.
using BandDrawing = std::function<void(QImage& picture, const QRect& band)>;

// The same for a picture that `drawBand` draws band by band, from the top, on this thread: each
// band is compressed on another processor while the next is drawn. Every band but the last is
// 96 rows high, so that a picture drawn at 2, 3 or 4 pixels per point is drawn in bands of
// whole points. A picture of other than 32 bits a pixel is converted to them first, in place.
RegularFile::Written write(QImage& picture, const BandDrawing& drawBand, const QString& path);

} // namespace PngEncoding
