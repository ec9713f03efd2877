#pragma once

#include "files/RegularFile.h"

#include <QImage>
#include <QString>

// PNG files for the pictures, written quickly: every row unfiltered, compressed by zlib's fastest
// level in parts at once on the processors there are. Qt's own writer tries every row filter on
// every row, which takes several times as long as drawing the panel, for files no smaller; libpng
// feeds zlib from one thread only, so the few chunks around the data are written here.
namespace PngEncoding {

// Eight bits per channel with alpha, not interlaced, marked as sRGB. Replaces the file at `path`
// whole (a link there is replaced, not followed), without waiting for the disk; whatever was
// there stays as it was when the image is null or the file could not be written, which the
// result says. A picture no one else holds is converted in place.
RegularFile::Written write(QImage image, const QString& path);

} // namespace PngEncoding
