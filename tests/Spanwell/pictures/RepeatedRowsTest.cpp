#include "pictures/RepeatedRows.h"

#include <QRandomGenerator>
#include <QTest>

#include <zlib.h>

namespace {

// Raw deflate data inflated whole; nothing unless it ends the stream exactly where it ends.
std::optional<QByteArray> inflated(const QByteArray& deflated) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    QByteArray output(1 << 20, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.constData()));
    stream.avail_in = uInt(deflated.size());
    stream.next_out = reinterpret_cast<Bytef*>(output.data());
    stream.avail_out = uInt(output.size());
    const int status = inflate(&stream, Z_FINISH);
    const bool whole = status == Z_STREAM_END && stream.avail_in == 0;
    output.truncate(qsizetype(stream.total_out));
    inflateEnd(&stream);
    return whole ? std::optional(output) : std::nullopt;
}

// A stored block holding `bytes`.
QByteArray stored(const QByteArray& bytes, bool final) {
    const auto length = quint16(bytes.size());
    const auto complement = quint16(~length);
    QByteArray block(1, final ? '\x01' : '\x00');
    for (const quint16 value : {length, complement}) {
        block.append(char(value & 0xff));
        block.append(char(value >> 8));
    }
    return block + bytes;
}

} // namespace

class RepeatedRowsTest : public QObject {
    Q_OBJECT

private slots:
    void repeatsTheRowBefore_data() {
        QTest::addColumn<int>("rowBytes");
        QTest::addColumn<int>("count");
        QTest::newRow("the shortest row") << 3 << 1;
        QTest::newRow("a panel's row, once") << 3073 << 1;
        QTest::newRow("a panel's rows") << 3073 << 40;
        // Lengths just past the longest match, whose last piece must stay 3 long or more.
        QTest::newRow("one past a match") << 259 << 1;
        QTest::newRow("two past a match") << 260 << 1;
        QTest::newRow("three past a match") << 261 << 1;
        QTest::newRow("two matches and one") << 517 << 1;
        QTest::newRow("the longest reach") << RepeatedRows::longestRow << 3;
    }

    // Once after a row and once ending the stream, the block makes the row again `count` times,
    // and the data after it starts on the next byte.
    void repeatsTheRowBefore() {
        QFETCH(int, rowBytes);
        QFETCH(int, count);
        QByteArray row(rowBytes, '\0');
        QRandomGenerator random(uint(rowBytes * 31 + count));
        for (char& byte : row)
            byte = char(random.bounded(256));
        const QByteArray repeated = row.repeated(count + 1);

        const QByteArray ending = stored(row, false) + RepeatedRows::block(rowBytes, count, true);
        QCOMPARE(inflated(ending), std::optional(repeated));

        const QByteArray continued = stored(row, false) +
                                     RepeatedRows::block(rowBytes, count, false) +
                                     stored(QByteArray("after"), true);
        QCOMPARE(inflated(continued), std::optional(repeated + "after"));
    }

    // Every length a match can have, and the distances either side of each step in their codes.
    void coversEveryCode() {
        QList<int> rowBytes;
        for (int bytes = 3; bytes <= 600; ++bytes)
            rowBytes.append(bytes);
        for (int step = 1024; step <= RepeatedRows::longestRow; step *= 2)
            rowBytes << step - 1 << step << step + 1 << step + step / 2;
        for (const int bytes : std::as_const(rowBytes)) {
            if (bytes > RepeatedRows::longestRow)
                continue;
            const QByteArray row(bytes, char(bytes % 251));
            QVERIFY2(inflated(stored(row, false) + RepeatedRows::block(bytes, 1, true)) ==
                         row.repeated(2),
                     qPrintable(QString::number(bytes)));
        }
    }
};

QTEST_GUILESS_MAIN(RepeatedRowsTest)
#include "RepeatedRowsTest.moc"
