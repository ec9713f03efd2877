#include "login/CollectedOutput.h"

namespace {

// The length of the character that `lead` begins; 0 when no character begins with it.
qsizetype characterLength(uchar lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Some lead bytes narrow the range of the byte after them (no overlong forms, no surrogates,
// nothing beyond U+10FFFF).
bool secondByteFits(uchar lead, uchar second) {
    switch (lead) {
    case 0xE0:
        return second >= 0xA0 && second <= 0xBF;
    case 0xED:
        return second >= 0x80 && second <= 0x9F;
    case 0xF0:
        return second >= 0x90 && second <= 0xBF;
    case 0xF4:
        return second >= 0x80 && second <= 0x8F;
    default:
        return second >= 0x80 && second <= 0xBF;
    }
}

bool isContinuation(uchar byte) {
    return (byte & 0xC0) == 0x80;
}

// How many bytes at the end begin a character whose remaining bytes may still arrive.
qsizetype unfinishedCharacterLength(QByteArrayView bytes) {
    // A character has at most four bytes, so only the last three can be an unfinished one.
    for (qsizetype fromEnd = 1; fromEnd <= 3 && fromEnd <= bytes.size(); ++fromEnd) {
        const auto lead = static_cast<uchar>(bytes[bytes.size() - fromEnd]);
        if (isContinuation(lead))
            continue;
        if (characterLength(lead) <= fromEnd)
            return 0;
        if (fromEnd >= 2 &&
            !secondByteFits(lead, static_cast<uchar>(bytes[bytes.size() - fromEnd + 1])))
            return 0;
        return fromEnd;
    }
    return 0;
}

} // namespace

CollectedOutput::CollectedOutput(qsizetype kept)
    : keptLength(kept) {}

bool CollectedOutput::append(QByteArrayView bytes) {
    heldBack.append(bytes);
    const qsizetype complete = heldBack.size() - unfinishedCharacterLength(heldBack);
    if (complete == 0)
        return false;
    collected += QString::fromUtf8(QByteArrayView(heldBack).first(complete));
    heldBack.remove(0, complete);
    keepWithinBound();
    return true;
}

bool CollectedOutput::finish() {
    if (heldBack.isEmpty())
        return false;
    collected += QString::fromUtf8(heldBack);
    heldBack.clear();
    keepWithinBound();
    return true;
}

void CollectedOutput::keepWithinBound() {
    if (gapEnd == 0) {
        if (collected.size() <= 2 * keptLength)
            return;
        qsizetype beginning = keptLength;
        // Never part a surrogate pair.
        if (collected.at(beginning - 1).isHighSurrogate())
            --beginning;
        const QString gap = QStringLiteral("\n…\n");
        collected.insert(beginning, gap);
        gapEnd = beginning + gap.size();
    }
    qsizetype dropped = collected.size() - gapEnd - keptLength;
    if (dropped <= 0)
        return;
    if (collected.at(gapEnd + dropped).isLowSurrogate())
        ++dropped;
    collected.remove(gapEnd, dropped);
}
