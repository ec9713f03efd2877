#include "pictures/RepeatedRows.h"

#include <algorithm>
#include <cstdint>

namespace {

// Deflate's bits, least significant first, gathered into whole bytes.
class BitWriter {
public:
    void put(std::uint32_t value, int count) {
        pending |= std::uint64_t(value) << pendingCount;
        pendingCount += count;
        while (pendingCount >= 8) {
            bytes.append(char(pending & 0xff));
            pending >>= 8;
            pendingCount -= 8;
        }
    }

    // A Huffman code goes out from its most significant bit.
    void putCode(std::uint32_t code, int length) {
        std::uint32_t reversed = 0;
        for (int bit = 0; bit < length; ++bit)
            reversed |= ((code >> bit) & 1u) << (length - 1 - bit);
        put(reversed, length);
    }

    QByteArray padded() {
        if (pendingCount > 0)
            put(0, 8 - pendingCount);
        return bytes;
    }

private:
    QByteArray bytes;
    std::uint64_t pending = 0;
    int pendingCount = 0;
};

constexpr int shortestMatch = 3;
constexpr int longestMatch = 258;
constexpr int endOfBlock = 256;

// A literal or length symbol under the fixed codes.
void putSymbol(BitWriter& bits, int symbol) {
    if (symbol < 144)
        bits.putCode(0x30 + symbol, 8);
    else if (symbol < 256)
        bits.putCode(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        bits.putCode(symbol - 256, 7);
    else
        bits.putCode(0xc0 + symbol - 280, 8);
}

// Where a value falls among ranges that a code each stands for, from `firstBase` up: the
// first `plainCodes` ranges hold one value each, and every `codesPerStep` codes after them the
// ranges double, told apart by as many more extra bits.
struct Range {
    int index;
    int base;
    int extraBits;
};

Range rangeOf(int value, int firstBase, int plainCodes, int codesPerStep) {
    int base = firstBase;
    for (int index = 0;; ++index) {
        const int extraBits = index < plainCodes ? 0 : (index - plainCodes) / codesPerStep + 1;
        if (value < base + (1 << extraBits))
            return {index, base, extraBits};
        base += 1 << extraBits;
    }
}

// Lengths 3 to 258: codes 257 to 284 in ranges, and 285 for 258 alone.
void putLength(BitWriter& bits, int length) {
    if (length == longestMatch) {
        putSymbol(bits, 285);
        return;
    }
    const Range range = rangeOf(length, shortestMatch, 8, 4);
    putSymbol(bits, 257 + range.index);
    bits.put(std::uint32_t(length - range.base), range.extraBits);
}

// Distances 1 to 32768: codes 0 to 29, five bits each.
void putDistance(BitWriter& bits, int distance) {
    const Range range = rangeOf(distance, 1, 4, 2);
    bits.putCode(std::uint32_t(range.index), 5);
    bits.put(std::uint32_t(distance - range.base), range.extraBits);
}

} // namespace

namespace RepeatedRows {

QByteArray block(int rowBytes, qsizetype count, bool final) {
    BitWriter bits;
    bits.put(final ? 1 : 0, 1);
    // Fixed codes.
    bits.put(1, 2);
    qint64 left = qint64(rowBytes) * count;
    while (left > 0) {
        // The last match stays at least 3 long.
        const int length = left >= longestMatch + shortestMatch ? longestMatch
                           : left <= longestMatch               ? int(left)
                                                                : int(left) - shortestMatch;
        putLength(bits, length);
        putDistance(bits, rowBytes);
        left -= length;
    }
    putSymbol(bits, endOfBlock);
    if (final)
        return bits.padded();
    // An empty stored block: its header, then up to the next byte, its length 0 and the length's
    // complement.
    bits.put(0, 3);
    return bits.padded() + QByteArray("\x00\x00\xff\xff", 4);
}

} // namespace RepeatedRows
