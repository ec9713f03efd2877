#include "pictures/PngEncoding.h"

#include "pictures/RepeatedRows.h"

#include <QThread>
#include <QtEndian>

// The rows are handed to zlib as they are in the picture, which zlib only reads.
#define ZLIB_CONST
#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// Filter type 0 (none) before each row: the panel's large flat areas compress as well without
// a row filter, and every other filter took longer.
constexpr uchar noFilter[] = {0};
// zlib's level 3 compressed the panel as quickly as its fastest level, 1, into a file a twentieth
// smaller.
constexpr int compressionLevel = 3;
// Its search for earlier copies tuned (zlib's good_length, max_lazy, nice_length and max_chain,
// the first two as at that level): a copy is taken at once only at the longest length deflate
// writes, 258 bytes rather than 32, which the panel's flat rows reach, and 8 earlier places are
// tried rather than 32. The demo panel's rows compressed in a tenth less time than at level 3 as
// it stands (2.12 against 2.35 ms in one stream), into a file 1% smaller.
constexpr int goodLength = 4;
constexpr int longestInserted = 6;
constexpr int niceLength = 258;
constexpr int longestChain = 8;
// The zlib stream's header for that level: deflate with a 32 KiB window, "fast".
constexpr char streamHeader[] = {'\x78', '\x5e'};

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

// A band of rows compressed on its own: raw deflate data that the next band's data continues,
// ending on a whole byte, or ending the stream for the last band; and the Adler-32 checksum of
// the rows, which the stream's end carries for all of them.
struct Band {
    int firstRow = 0;
    int endRow = 0;
    bool last = false;
    QByteArray deflated;
    uLong checksum = adler32(0, nullptr, 0);
    uLong length = 0;
    bool compressed = false;
};

// Hands `length` bytes to the stream, and with `flush` what it still holds, after the bytes
// `output` holds, which grows as zlib fills it. Its status.
int deflateInto(z_stream& stream, const uchar* bytes, uInt length, int flush, QByteArray& output) {
    stream.next_in = bytes;
    stream.avail_in = length;
    int status = Z_OK;
    // Called again while it fills all the room it had: there may be more to come.
    do {
        const qsizetype used = output.size();
        const qsizetype room = std::max<qsizetype>(used, 1024);
        output.resize(used + room);
        stream.next_out = reinterpret_cast<Bytef*>(output.data()) + used;
        stream.avail_out = uInt(room);
        status = deflate(&stream, flush);
        output.resize(used + room - qsizetype(stream.avail_out));
    } while (stream.avail_out == 0 && (status == Z_OK || status == Z_BUF_ERROR));
    return status;
}

// Whether row `row` of `picture` (32 bits a pixel) is the row above it again.
bool repeatsRowAbove(const QImage& picture, int row) {
    return row > 0 && std::memcmp(picture.constScanLine(row), picture.constScanLine(row - 1),
                                  size_t(picture.width()) * 4) == 0;
}

// The search tuned as above; a reset takes the level's own again. Its status.
int tuneSearch(z_stream& stream) {
    return deflateTune(&stream, goodLength, longestInserted, niceLength, longestChain);
}

// zlib started again after data it did not write, knowing only the row before, which the next
// rows may repeat in part: it must not reach back past what it knows. Its status.
int startAgainAfter(z_stream& stream, const uchar* rowBefore, uInt pixelBytes) {
    QByteArray known(reinterpret_cast<const char*>(noFilter), 1);
    known.append(reinterpret_cast<const char*>(rowBefore), qsizetype(pixelBytes));
    int status = deflateReset(&stream);
    if (status == Z_OK)
        status = tuneSearch(stream);
    if (status != Z_OK)
        return status;
    return deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(known.constData()),
                                uInt(known.size()));
}

// Rows of `picture` (32 bits a pixel) made straight red, green, blue and alpha bytes, as the file
// holds them, a few at a time as they are asked for in order. Qt's own converters took a third
// of the time that converting pixel by pixel did; converting a band at once took memory of its
// own from the system for every band, whose pages took longer to make than the conversion.
class StraightRows {
public:
    StraightRows(const QImage& source, int end)
        : picture(source)
        , endRow(end)
        , rowsAtOnce(std::max(1, int(64 * 1024 / std::max<qsizetype>(source.bytesPerLine(), 1)))) {}

    // Row `row` of the picture, not before the last one asked for; null when memory ran out.
    const uchar* at(int row) {
        if (row >= convertedFrom + converted.height() || row < convertedFrom) {
            convertedFrom = row;
            const int count = std::min(rowsAtOnce, endRow - row);
            converted = QImage(picture.constScanLine(row), picture.width(), count,
                               picture.bytesPerLine(), picture.format())
                            .convertToFormat(QImage::Format_RGBA8888);
        }
        return converted.isNull() ? nullptr : converted.constScanLine(row - convertedFrom);
    }

private:
    const QImage& picture;
    const int endRow;
    const int rowsAtOnce;
    int convertedFrom = 0;
    QImage converted;
};

// The band's rows, each after its filter byte. Rows that repeat the row above go in blocks of
// their own; zlib compresses the others, starting again after each such block.
void compress(const QImage& picture, Band& band) {
    // A band compressed again after a failure starts from nothing, not after what it had.
    band.deflated.clear();
    const int rowCount = band.endRow - band.firstRow;
    StraightRows rows(picture, band.endRow);
    z_stream stream{};
    if (deflateInit2(&stream, compressionLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK)
        return;
    if (tuneSearch(stream) != Z_OK) {
        deflateEnd(&stream);
        return;
    }
    const uInt pixelBytes = uInt(picture.width()) * 4;
    const int rowBytes = int(pixelBytes) + 1;
    const bool rowsCanRepeat = rowBytes <= RepeatedRows::longestRow;
    band.checksum = adler32(0, nullptr, 0);
    // Flat pictures shrink to a tenth or less; the buffer grows should one not.
    band.deflated.reserve(qsizetype(rowBytes) * rowCount / 8 + 1024);
    int status = Z_OK;
    bool ended = false;
    // Whether zlib holds rows it has not flushed.
    bool unflushed = false;
    for (int y = 0; y < rowCount && status == Z_OK;) {
        int repeats = 0;
        while (rowsCanRepeat && y + repeats < rowCount &&
               repeatsRowAbove(picture, band.firstRow + y + repeats))
            ++repeats;
        // Repeated rows hold the bytes of the first of them, which alone is converted and
        // summed: the checksum of the others follows from its own.
        const uchar* const row = rows.at(band.firstRow + y);
        if (!row) {
            status = Z_MEM_ERROR;
            break;
        }
        const uLong rowChecksum =
            adler32(adler32(adler32(0, nullptr, 0), noFilter, 1), row, pixelBytes);
        for (int counted = 0; counted < std::max(repeats, 1); ++counted)
            band.checksum = adler32_combine(band.checksum, rowChecksum, z_off_t(rowBytes));
        if (repeats > 0) {
            if (unflushed)
                status = deflateInto(stream, nullptr, 0, Z_SYNC_FLUSH, band.deflated);
            unflushed = false;
            y += repeats;
            ended = band.last && y == rowCount;
            band.deflated += RepeatedRows::block(rowBytes, repeats, ended);
            // The next row follows one with the bytes of `row`.
            if (status == Z_OK && y < rowCount)
                status = startAgainAfter(stream, row, pixelBytes);
            continue;
        }
        const bool lastRow = y + 1 == rowCount;
        const int flush = !lastRow ? Z_NO_FLUSH : band.last ? Z_FINISH : Z_SYNC_FLUSH;
        status = deflateInto(stream, noFilter, 1, Z_NO_FLUSH, band.deflated);
        if (status == Z_OK)
            status = deflateInto(stream, row, pixelBytes, flush, band.deflated);
        unflushed = !lastRow;
        ended = status == Z_STREAM_END;
        ++y;
    }
    band.compressed = band.last ? ended : status == Z_OK;
    band.length = uLong(rowBytes) * uLong(rowCount);
    deflateEnd(&stream);
}

// The bands drawn so far and those a compressor has taken, shared by the thread that draws and
// the compressors.
class Progress {
public:
    void drawn(size_t count) {
        {
            const std::lock_guard lock(mutex);
            drawnCount = count;
        }
        changed.notify_one();
    }

    // Once every band is drawn, or drawing stopped: compressors waiting for a band stop waiting.
    void ended() {
        {
            const std::lock_guard lock(mutex);
            ending = true;
        }
        changed.notify_all();
    }

    // The next band to compress once it is drawn; nothing once none is left.
    std::optional<size_t> take() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return taken < drawnCount || ending; });
        if (taken == drawnCount)
            return std::nullopt;
        return taken++;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    size_t drawnCount = 0;
    size_t taken = 0;
    bool ending = false;
};

// The threads that compress beside the one that draws, stopped and joined however drawing ends.
struct Helpers {
    explicit Helpers(Progress& shared)
        : progress(shared) {}
    ~Helpers() {
        progress.ended();
        for (std::thread& thread : threads)
            thread.join();
    }
    Helpers(const Helpers&) = delete;
    Helpers& operator=(const Helpers&) = delete;

    Progress& progress;
    std::vector<std::thread> threads;
};

// Makes the pages of the `length` bytes from `start` that lie whole in them, as writing them
// would, one by one, the first time. A compressing thread makes those below the first band while
// that band is drawn, as it would only wait for it, so that the drawing thread does not stop for
// each: the picture's pages took the drawing thread 0.8 ms to make. Where the system cannot, the
// drawing thread makes them as before.
void makePages(uchar* start, size_t length) {
#ifdef MADV_POPULATE_WRITE
    const auto pageSize = uintptr_t(sysconf(_SC_PAGESIZE));
    const uintptr_t first = (uintptr_t(start) + pageSize - 1) & ~(pageSize - 1);
    const uintptr_t end = (uintptr_t(start) + length) & ~(pageSize - 1);
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(start);
    Q_UNUSED(length);
#endif
}

// Rows per band: a multiple of 2, 3 and 4, so that a picture drawn at that many pixels per point
// is drawn in bands of whole points.
constexpr int rowsPerBand = 96;

std::vector<Band> bandsOf(const QImage& picture) {
    std::vector<Band> bands;
    for (int firstRow = 0; firstRow < picture.height(); firstRow += rowsPerBand) {
        Band& band = bands.emplace_back();
        band.firstRow = firstRow;
        band.endRow = std::min(firstRow + rowsPerBand, picture.height());
        band.last = band.endRow == picture.height();
    }
    return bands;
}

// The rows as one zlib stream, each band drawn by `drawBand` (unless null) and compressed on
// another processor while the next is drawn; nothing where zlib failed (memory).
std::optional<QByteArray> zlibStream(QImage& picture, const PngEncoding::BandDrawing& drawBand) {
    std::vector<Band> bands = bandsOf(picture);
    Progress progress;
    const auto compressBands = [&picture, &bands, &progress] {
        while (const std::optional<size_t> index = progress.take())
            compress(picture, bands[*index]);
    };
    // The rows still to draw once the first band is: none unless the picture is drawn here.
    uchar* belowFirstBand = nullptr;
    size_t belowFirstBandLength = 0;
    if (drawBand && bands.size() > 1) {
        const qsizetype offset = picture.bytesPerLine() * bands[1].firstRow;
        belowFirstBand = picture.bits() + offset;
        belowFirstBandLength = size_t(picture.sizeInBytes() - offset);
    }
    {
        Helpers helpers(progress);
        const int processors = std::clamp(QThread::idealThreadCount(), 1, 8);
        for (int helper = 1; helper < processors && size_t(helper) < bands.size(); ++helper) {
            const bool first = helper == 1;
            try {
                helpers.threads.emplace_back([&, first] {
                    if (first)
                        makePages(belowFirstBand, belowFirstBandLength);
                    compressBands();
                });
            } catch (const std::exception&) {
                // Compressed below, on this thread.
                break;
            }
        }
        for (size_t index = 0; index < bands.size(); ++index) {
            if (drawBand)
                drawBand(picture, QRect(0, bands[index].firstRow, picture.width(),
                                        bands[index].endRow - bands[index].firstRow));
            progress.drawn(index + 1);
        }
        progress.ended();
        compressBands();
    }
    for (Band& band : bands)
        if (!band.compressed)
            compress(picture, band);

    QByteArray stream(streamHeader, sizeof streamHeader);
    uLong checksum = adler32(0, nullptr, 0);
    for (const Band& band : bands) {
        if (!band.compressed)
            return std::nullopt;
        stream.append(band.deflated);
        checksum = adler32_combine(checksum, band.checksum, z_off_t(band.length));
    }
    appendBigEndian(stream, quint32(checksum));
    return stream;
}

} // namespace

namespace PngEncoding {

RegularFile::Written write(QImage& picture, const BandDrawing& drawBand, const QString& path) {
    if (picture.isNull())
        return {QStringLiteral("the picture could not be drawn")};
    // Rows are read as words of four bytes.
    if (picture.depth() != 32)
        picture.convertTo(QImage::Format_ARGB32);
    // Drawing must not move the rows that the compressors read.
    if (drawBand)
        picture.bits();
    const std::optional<QByteArray> stream = zlibStream(picture, drawBand);
    if (!stream)
        return {QStringLiteral("zlib could not compress the picture")};
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png.reserve(png.size() + stream->size() + 64);
    appendChunk(png, "IHDR", header(picture));
    // sRGB with the perceptual rendering intent.
    appendChunk(png, "sRGB", QByteArrayView("\x00", 1));
    appendChunk(png, "IDAT", *stream);
    appendChunk(png, "IEND", {});
    return RegularFile::replace(path, png, RegularFile::Readers::asUmaskAllows,
                                RegularFile::Flush::bySystem);
}

RegularFile::Written write(const QImage& picture, const QString& path) {
    // Shares the rows, which are only read.
    QImage shared = picture;
    return write(shared, BandDrawing(), path);
}

} // namespace PngEncoding
