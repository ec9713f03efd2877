#include "pictures/RepeatedRows.h"

#include <algorithm>
#include <cstdint>

namespace {

// Bits for deflate's stream, the first in the least significant place.
struct Bits {
    std::uint64_t value = 0;
    int count = 0;

    Bits then(Bits next) const { return {value | next.value << count, count + next.count}; }
};

// Deflate's bits gathered into whole bytes.
class BitWriter {
public:
    void put(Bits bits) {
        pending |= bits.value << pendingCount;
        pendingCount += bits.count;
        while (pendingCount >= 8) {
            bytes.append(char(pending & 0xff));
            pending >>= 8;
            pendingCount -= 8;
        }
    }

    QByteArray padded() {
        if (pendingCount > 0)
            put({0, 8 - pendingCount});
        return bytes;
    }

private:
    QByteArray bytes;
    std::uint64_t pending = 0;
    int pendingCount = 0;
};

// A Huffman code, which goes out from its most significant bit.
Bits code(std::uint32_t value, int length) {
    std::uint32_t reversed = 0;
    for (int bit = 0; bit < length; ++bit)
        reversed |= ((value >> bit) & 1u) << (length - 1 - bit);
    return {reversed, length};
}

constexpr int shortestMatch = 3;
constexpr int longestMatch = 258;
constexpr int endOfBlock = 256;

// A literal or length symbol under the fixed codes.
Bits symbol(int symbol) {
    if (symbol < 144)
        return code(std::uint32_t(0x30 + symbol), 8);
    if (symbol < 256)
        return code(std::uint32_t(0x190 + symbol - 144), 9);
    if (symbol < 280)
        return code(std::uint32_t(symbol - 256), 7);
    return code(std::uint32_t(0xc0 + symbol - 280), 8);
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
Bits lengthBits(int length) {
    if (length == longestMatch)
        return symbol(285);
    const Range range = rangeOf(length, shortestMatch, 8, 4);
    return symbol(257 + range.index).then({std::uint64_t(length - range.base), range.extraBits});
}

// Distances 1 to 32768: codes 0 to 29, five bits each.
Bits distanceBits(int distance) {
    const Range range = rangeOf(distance, 1, 4, 2);
    return code(std::uint32_t(range.index), 5)
        .then({std::uint64_t(distance - range.base), range.extraBits});
}

} // namespace

namespace RepeatedRows {

QByteArray block(int rowBytes, qsizetype count, bool final) {
    BitWriter bits;
    // The block's header: whether it is the last, then fixed codes.
    bits.put({final ? 1u : 0u, 1});
    bits.put({1, 2});
    // Nearly every match is the longest, back one row: its bits are worked out once.
    const Bits distance = distanceBits(rowBytes);
    const Bits longest = lengthBits(longestMatch).then(distance);
    qint64 left = qint64(rowBytes) * count;
    while (left > 0) {
        // The last match stays at least 3 long.
        if (left >= longestMatch + shortestMatch) {
            bits.put(longest);
            left -= longestMatch;
            continue;
        }
        const int length = left <= longestMatch ? int(left) : int(left) - shortestMatch;
        bits.put(lengthBits(length).then(distance));
        left -= length;
    }
    bits.put(symbol(endOfBlock));
    if (final)
        return bits.padded();
    // An empty stored block: its header, then up to the next byte, its length 0 and the length's
    // complement.
    bits.put({0, 3});
    return bits.padded() + QByteArray("\x00\x00\xff\xff", 4);
}

} // namespace RepeatedRows
