#include "pictures/PngEncoding.h"

#include <png.h>

namespace PngEncoding {

RegularFile::Written write(const QImage& image, const QString& path) {
    if (image.isNull())
        return {QStringLiteral("the picture could not be drawn")};
    // Straight (not premultiplied) red, green, blue and alpha bytes, as the file holds them.
    const QImage pixels = image.convertToFormat(QImage::Format_RGBA8888);
    png_image description{};
    description.version = PNG_IMAGE_VERSION;
    description.width = png_uint_32(pixels.width());
    description.height = png_uint_32(pixels.height());
    description.format = PNG_FORMAT_RGBA;
    // No row filter and zlib's level 3, libpng's fast choice: the panel's large flat areas
    // compress well without more effort.
    description.flags = PNG_IMAGE_FLAG_FAST;
    // Encoded in memory, at most the bound libpng gives, and then put in place whole.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(description);
    QByteArray png(qsizetype(size), Qt::Uninitialized);
    if (png_image_write_to_memory(&description, png.data(), &size, 0, pixels.constBits(),
                                  png_int_32(pixels.bytesPerLine()), nullptr) == 0)
        return {QStringLiteral("libpng could not encode the picture: ") +
                QString::fromLatin1(description.message)};
    png.truncate(qsizetype(size));
    return RegularFile::replace(path, png, RegularFile::Readers::asUmaskAllows);
}

} // namespace PngEncoding
