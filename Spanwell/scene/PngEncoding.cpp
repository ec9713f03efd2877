#include "scene/PngEncoding.h"

#include <QFile>
#include <QtEndian>

#include <array>
#include <vector>

#include <zlib.h>

namespace {

constexpr int compressionLevel = 3;
constexpr char unfiltered = 0;
constexpr char eightBits = 8;
constexpr char colourWithAlpha = 6;

std::array<quint32, 256> crcTable() {
    std::array<quint32, 256> table{};
    for (quint32 index = 0; index < 256; ++index) {
        quint32 value = index;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? 0xedb88320u ^ (value >> 1) : value >> 1;
        table[index] = value;
    }
    return table;
}

quint32 crc(const QByteArray& bytes) {
    static const std::array<quint32, 256> table = crcTable();
    quint32 value = 0xffffffffu;
    for (const char byte : bytes)
        value = table[(value ^ quint8(byte)) & 0xff] ^ (value >> 8);
    return value ^ 0xffffffffu;
}

QByteArray bigEndian(quint32 value) {
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

void appendChunk(QByteArray& file, const char* type, const QByteArray& data) {
    const QByteArray typed = QByteArray(type, 4) + data;
    file += bigEndian(quint32(data.size()));
    file += typed;
    file += bigEndian(crc(typed));
}

} // namespace

namespace PngEncoding {

QByteArray encode(const QImage& image) {
    if (image.isNull())
        return {};
    // Rows are converted and compressed one at a time: a copy of the whole picture would cost
    // more in fresh memory than the compression itself.
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage source = premultiplied || image.format() == QImage::Format_ARGB32
                              ? image
                              : image.convertToFormat(QImage::Format_ARGB32);
    const int width = source.width();
    std::vector<unsigned char> row(size_t(width) * 4 + 1);
    row[0] = unfiltered;

    z_stream stream{};
    if (deflateInit(&stream, compressionLevel) != Z_OK)
        return {};
    QByteArray compressed;
    std::array<unsigned char, 65536> out;
    int status = Z_OK;
    for (int y = 0; y < source.height() && status == Z_OK; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        // Straight (not premultiplied) red, green, blue and alpha bytes, as the format has them.
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = premultiplied ? qUnpremultiply(line[x]) : line[x];
            unsigned char* bytes = &row[size_t(x) * 4 + 1];
            bytes[0] = uchar(qRed(pixel));
            bytes[1] = uchar(qGreen(pixel));
            bytes[2] = uchar(qBlue(pixel));
            bytes[3] = uchar(qAlpha(pixel));
        }
        const bool last = y == source.height() - 1;
        stream.next_in = row.data();
        stream.avail_in = uInt(row.size());
        do {
            stream.next_out = out.data();
            stream.avail_out = uInt(out.size());
            status = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(reinterpret_cast<const char*>(out.data()),
                              qsizetype(out.size() - stream.avail_out));
        } while (stream.avail_out == 0 && status == Z_OK);
    }
    deflateEnd(&stream);
    if (status != Z_STREAM_END)
        return {};

    QByteArray header = bigEndian(quint32(width)) + bigEndian(quint32(source.height()));
    // Then no compression, filter or interlace variants: the only ones the format knows.
    const char layout[] = {eightBits, colourWithAlpha, 0, 0, 0};
    header.append(layout, sizeof layout);
    QByteArray file("\x89PNG\r\n\x1a\n", 8);
    appendChunk(file, "IHDR", header);
    appendChunk(file, "IDAT", compressed);
    appendChunk(file, "IEND", QByteArray());
    return file;
}

bool write(const QImage& image, const QString& path) {
    const QByteArray bytes = encode(image);
    QFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

} // namespace PngEncoding
