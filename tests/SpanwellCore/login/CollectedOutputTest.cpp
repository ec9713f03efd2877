#include "login/CollectedOutput.h"
#include "support/TestRegistry.h"

#include <QTest>

using Pieces = QList<QByteArray>;

class CollectedOutputTest : public QObject {
    Q_OBJECT

private slots:
    void charactersSurviveSplitReads_data() {
        QTest::addColumn<Pieces>("pieces");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("finished");
        const QString replacement(QChar::ReplacementCharacter);
        QTest::newRow("whole pieces")
            << Pieces{"a", "b", "c"} << QStringList{"a", "ab", "abc"} << "abc";
        QTest::newRow("two bytes, one per read")
            << Pieces{"x\xC3", "\xA9y"} << QStringList{"x", QString("xéy")} << QString("xéy");
        QTest::newRow("box line cut after its first byte")
            << Pieces{"\xE2", "\x94\x80 me@example.com"}
            << QStringList{"", QString("─ me@example.com")} << QString("─ me@example.com");
        QTest::newRow("four bytes in three reads")
            << Pieces{"\xF0\x9F", "\x98", "\x80!"} << QStringList{"", "", QString("😀!")}
            << QString("😀!");
        QTest::newRow("byte that is never UTF-8")
            << Pieces{"a\xFF", "b"} << QStringList{"a" + replacement, "a" + replacement + "b"}
            << "a" + replacement + "b";
        QTest::newRow("lead byte followed by plain text")
            << Pieces{"\xC3", "A"} << QStringList{"", replacement + "A"} << replacement + "A";
        QTest::newRow("overlong form is not held back")
            << Pieces{"\xE0\x80"} << QStringList{replacement + replacement}
            << replacement + replacement;
        QTest::newRow("surrogate form is not held back")
            << Pieces{"\xED\xA0"} << QStringList{replacement + replacement}
            << replacement + replacement;
        QTest::newRow("stray continuation bytes")
            << Pieces{"\x80\x80"} << QStringList{replacement + replacement}
            << replacement + replacement;
        QTest::newRow("unfinished when the stream ends")
            << Pieces{"end\xE2\x94"} << QStringList{"end"} << "end" + replacement + replacement;
    }
    void charactersSurviveSplitReads() {
        QFETCH(Pieces, pieces);
        QFETCH(QStringList, texts);
        QFETCH(QString, finished);
        CollectedOutput output;
        QString previous;
        for (qsizetype index = 0; index < pieces.size(); ++index) {
            QCOMPARE(output.append(pieces[index]), texts[index] != previous);
            QCOMPARE(output.text(), texts[index]);
            previous = texts[index];
        }
        QCOMPARE(output.finish(), finished != previous);
        QCOMPARE(output.text(), finished);
    }

    void keepsTheBeginningAndTheEnd_data() {
        QTest::addColumn<Pieces>("pieces");
        QTest::addColumn<QString>("kept");
        QTest::newRow("within the bound") << Pieces{"12345678"} << "12345678";
        QTest::newRow("one past it") << Pieces{"123456789"} << QString("1234\n…\n6789");
        QTest::newRow("growing after the cut")
            << Pieces{"123456789", "abc", "de"} << "1234\n…\nbcde";
        QTest::newRow("many small pieces")
            << Pieces{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}
            << QString("abcd\n…\nijkl");
        QTest::newRow("pair at the end of the beginning") << Pieces{"abc\xF0\x9F\x98\x80"
                                                                    "defghij"}
                                                          << QString("abc\n…\nghij");
        QTest::newRow("pair at the start of the end")
            << Pieces{"abcdefgh\xF0\x9F\x98\x80xyz"} << QString("abcd\n…\nxyz");
    }
    void keepsTheBeginningAndTheEnd() {
        QFETCH(Pieces, pieces);
        QFETCH(QString, kept);
        CollectedOutput output(4);
        for (const QByteArray& piece : std::as_const(pieces))
            output.append(piece);
        QCOMPARE(output.text(), kept);
    }
};

SPANWELL_TEST(CollectedOutputTest)
#include "CollectedOutputTest.moc"
