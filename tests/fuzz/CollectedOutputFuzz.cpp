#include "FuzzTarget.h"

#include "login/CollectedOutput.h"

namespace {

// The whole text as the collector must keep it: the first and the last `kept` UTF-16 units
// around a gap line once it is longer than twice that, never parting a surrogate pair.
QString bounded(const QString& whole, qsizetype kept) {
    if (whole.size() <= 2 * kept)
        return whole;
    QString beginning = whole.first(kept);
    if (beginning.back().isHighSurrogate())
        beginning.chop(1);
    QString end = whole.last(kept);
    if (end.front().isLowSurrogate())
        end.remove(0, 1);
    return beginning + QStringLiteral("\n…\n") + end;
}

} // namespace

// A child's output arriving in reads of any size. The first byte sets the read size (1 to 8
// bytes, so every split of a character occurs), the second the bound; the rest is the stream.
// Whatever the splits, the text is the whole stream decoded at once, then bounded.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const qsizetype readSize = data[0] % 8 + 1;
    const qsizetype kept = data[1] + 1;
    const QByteArray stream = fuzzInput(data + 2, size - 2);

    CollectedOutput collected(kept);
    for (qsizetype at = 0; at < stream.size(); at += readSize)
        collected.append(QByteArrayView(stream).sliced(at, std::min(readSize, stream.size() - at)));
    collected.finish();
    FUZZ_EXPECT(collected.text() == bounded(QString::fromUtf8(stream), kept));
    return 0;
}
