#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// PNG files for the pictures, written quickly: every row unfiltered and a fast compression.
// Qt's own writer tries every row filter on every row, which takes several times as long as
// drawing the panel, for files no smaller.
namespace PngEncoding {

// Eight bits per channel with alpha, not interlaced, no further chunks. Null images give an
// empty result.
QByteArray encode(const QImage& image);

// Replaces the file at `path`; false when it could not be written whole.
bool write(const QImage& image, const QString& path);

} // namespace PngEncoding
