#pragma once

#include <QByteArray>

// Rows of a picture that repeat the row above, as deflate data written directly: matches that
// reach back one row, under deflate's fixed codes. zlib finds the same matches, but only after
// searching its hash chains at every step, which for the panel's flat rows (half of them)
// took a third of its time; writing them here takes almost none.
namespace RepeatedRows {

// The longest row, in bytes, that deflate can reach back over.
constexpr int longestRow = 32768;

// One deflate block that repeats the `rowBytes` bytes before it `count` times. It ends on a whole
// byte: a final block is padded; any other is followed by an empty stored block, as zlib's
// flushes end theirs, so that the next data may start at the next byte. `rowBytes` is from 3 to
// `longestRow`, and `count` at least 1.
QByteArray block(int rowBytes, qsizetype count, bool final);

} // namespace RepeatedRows
