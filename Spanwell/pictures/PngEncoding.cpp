#include "pictures/PngEncoding.h"

#include <QThread>
#include <QtEndian>

// The rows are handed to zlib as they are in the picture, which zlib only reads.
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <thread>
#include <vector>

namespace {

// Filter type 0 (none) before each row: the panel's large flat areas compress as well without
// a row filter, and every other filter took longer.
constexpr uchar noFilter[] = {0};
// zlib's level 3 compressed the panel as quickly as its fastest level, 1, into a file a twentieth
// smaller.
constexpr int compressionLevel = 3;
// The zlib stream's header for that level: deflate with a 32 KiB window, "fast".
constexpr char streamHeader[] = {'\x78', '\x5e'};
// Fewer rows than this are not worth a thread of their own.
constexpr int leastRowsPerPart = 64;

void appendBigEndian(QByteArray& png, quint32 value) {
    const quint32 bigEndian = qToBigEndian(value);
    png.append(reinterpret_cast<const char*>(&bigEndian), sizeof bigEndian);
}

// A chunk: its length, its type and data, and the CRC of those two.
void appendChunk(QByteArray& png, const char* type, QByteArrayView data) {
    appendBigEndian(png, quint32(data.size()));
    const qsizetype start = png.size();
    png.append(type, 4);
    png.append(data);
    appendBigEndian(png, quint32(crc32(0, reinterpret_cast<const Bytef*>(png.constData() + start),
                                       uInt(png.size() - start))));
}

QByteArray header(const QImage& image) {
    QByteArray fields;
    appendBigEndian(fields, quint32(image.width()));
    appendBigEndian(fields, quint32(image.height()));
    // Eight bits per channel, red, green, blue and alpha; deflate; filtered per row; not
    // interlaced.
    fields.append("\x08\x06\x00\x00\x00", 5);
    return fields;
}

// A run of rows compressed on its own: raw deflate data that the next part's data continues,
// ending on a whole byte, or ending the stream for the last part; and the Adler-32 checksum of
// the rows, which the stream's end carries for all of them.
struct Part {
    int firstRow = 0;
    int endRow = 0;
    bool last = false;
    QByteArray deflated;
    uLong checksum = adler32(0, nullptr, 0);
    uLong length = 0;
    bool compressed = false;
};

// Hands `length` bytes to the stream, and with `flush` what it still holds, into `output`, which
// grows when zlib fills it. Its status.
int deflateInto(z_stream& stream, const uchar* bytes, uInt length, int flush, QByteArray& output) {
    stream.next_in = bytes;
    stream.avail_in = length;
    int status = Z_OK;
    // Called again while it fills all the room it had: there may be more to come.
    do {
        if (output.size() - qsizetype(stream.total_out) < 1024)
            output.resize(output.size() * 2);
        stream.next_out = reinterpret_cast<Bytef*>(output.data()) + stream.total_out;
        stream.avail_out = uInt(output.size() - qsizetype(stream.total_out));
        status = deflate(&stream, flush);
    } while (stream.avail_out == 0 && (status == Z_OK || status == Z_BUF_ERROR));
    return status;
}

// Each row of `image`, bytes as the file holds them, after its filter byte.
void compress(const QImage& image, Part& part) {
    part.checksum = adler32(0, nullptr, 0);
    z_stream stream{};
    if (deflateInit2(&stream, compressionLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        return;
    const uInt pixelBytes = uInt(image.width()) * 4;
    // Flat pictures shrink to a tenth or less; the buffer grows should one not.
    part.deflated.resize(qsizetype(pixelBytes + 1) * (part.endRow - part.firstRow) / 8 + 1024);
    int status = Z_OK;
    for (int y = part.firstRow; y < part.endRow && status == Z_OK; ++y) {
        const bool lastRow = y + 1 == part.endRow;
        const int flush = !lastRow ? Z_NO_FLUSH : part.last ? Z_FINISH : Z_SYNC_FLUSH;
        part.checksum = adler32(part.checksum, noFilter, 1);
        part.checksum = adler32(part.checksum, image.constScanLine(y), pixelBytes);
        status = deflateInto(stream, noFilter, 1, Z_NO_FLUSH, part.deflated);
        if (status == Z_OK)
            status = deflateInto(stream, image.constScanLine(y), pixelBytes, flush, part.deflated);
    }
    part.compressed = part.last ? status == Z_STREAM_END : status == Z_OK;
    part.deflated.truncate(qsizetype(stream.total_out));
    part.length = uLong(pixelBytes + 1) * uLong(part.endRow - part.firstRow);
    deflateEnd(&stream);
}

// The rows as one zlib stream, compressed in parts at once on the processors there are, which
// made compressing a panel's picture take half as long on two; nothing where zlib failed
// (memory).
std::optional<QByteArray> zlibStream(const QImage& image) {
    const int processors = std::max(1, QThread::idealThreadCount());
    const int partCount = std::clamp(image.height() / leastRowsPerPart, 1, std::min(processors, 8));
    std::vector<Part> parts(static_cast<size_t>(partCount));
    for (int index = 0; index < partCount; ++index) {
        Part& part = parts[size_t(index)];
        part.firstRow = int(qint64(image.height()) * index / partCount);
        part.endRow = int(qint64(image.height()) * (index + 1) / partCount);
        part.last = index + 1 == partCount;
    }
    std::vector<std::thread> helpers;
    for (size_t index = 1; index < parts.size(); ++index) {
        try {
            helpers.emplace_back([&image, &part = parts[index]] { compress(image, part); });
        } catch (const std::exception&) {
            // Compressed below, on this thread.
            break;
        }
    }
    compress(image, parts.front());
    for (std::thread& helper : helpers)
        helper.join();
    for (Part& part : parts)
        if (!part.compressed)
            compress(image, part);

    QByteArray stream(streamHeader, sizeof streamHeader);
    uLong checksum = adler32(0, nullptr, 0);
    for (const Part& part : parts) {
        if (!part.compressed)
            return std::nullopt;
        stream.append(part.deflated);
        checksum = adler32_combine(checksum, part.checksum, z_off_t(part.length));
    }
    appendBigEndian(stream, quint32(checksum));
    return stream;
}

} // namespace

namespace PngEncoding {

RegularFile::Written write(QImage image, const QString& path) {
    if (image.isNull())
        return {QStringLiteral("the picture could not be drawn")};
    // Red, green, blue and alpha bytes, straight, as the file holds them: Qt's own converters
    // take a third of the time that converting row by row did, and need no memory more for a
    // picture no one else holds.
    image.convertTo(QImage::Format_RGBA8888);
    if (image.isNull())
        return {QStringLiteral("the picture could not be converted")};
    const std::optional<QByteArray> stream = zlibStream(image);
    if (!stream)
        return {QStringLiteral("zlib could not compress the picture")};
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png.reserve(png.size() + stream->size() + 64);
    appendChunk(png, "IHDR", header(image));
    // sRGB with the perceptual rendering intent.
    appendChunk(png, "sRGB", QByteArrayView("\x00", 1));
    appendChunk(png, "IDAT", *stream);
    appendChunk(png, "IEND", {});
    return RegularFile::replace(path, png, RegularFile::Readers::asUmaskAllows,
                                RegularFile::Flush::bySystem);
}

} // namespace PngEncoding
