#include "login/LoginOutput.h"
#include "login/CollectedOutput.h"

#include <QTest>

using Text = std::optional<QString>;
Q_DECLARE_METATYPE(Text)
using Pieces = QList<QByteArray>;

class LoginOutputTest : public QObject {
    Q_OBJECT

private slots:
    void signInAddressIsFound_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<Text>("address");
        const QString page = QStringLiteral("https://claude.ai/oauth/authorize?code=true&x=1");
        QTest::newRow("foreign host first")
            << "See https://example.com/help then " + page << Text(page);
        QTest::newRow("earlier of two") << "https://claude.com/first and https://claude.ai/second"
                                        << Text("https://claude.com/first");
        QTest::newRow("sub-domain") << "go to https://console.anthropic.com/login now"
                                    << Text("https://console.anthropic.com/login");
        QTest::newRow("name merely ends alike") << "https://notclaude.ai/login" << Text();
        QTest::newRow("upper-case host kept as written") << "https://CLAUDE.AI/Login?State=A\n"
                                                         << Text("https://CLAUDE.AI/Login?State=A");
        QTest::newRow("upper-case scheme not found") << "HTTPS://claude.ai/login" << Text();
        QTest::newRow("plain http not found") << "http://claude.ai/login" << Text();
        QTest::newRow("ends at a quote")
            << "href=\"https://claude.ai/a\">" << Text("https://claude.ai/a");
        QTest::newRow("keeps a full stop")
            << "Visit https://claude.ai/a." << Text("https://claude.ai/a.");
        QTest::newRow("ends at a no-break space")
            << "https://claude.ai/a\u00a0next" << Text("https://claude.ai/a");
        QTest::newRow("ends at a line separator")
            << "https://claude.ai/a\u2028next" << Text("https://claude.ai/a");
        QTest::newRow("in a box after a carriage return") << "│ https://claude.ai/a\r\n"
                                                          << Text("https://claude.ai/a");
    }
    void signInAddressIsFound() {
        QFETCH(QString, output);
        QFETCH(Text, address);
        QCOMPARE(LoginOutput::signInURL(output), address);
    }

    void lastLineSkipsBlanksAndThePrompt_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<Text>("line");
        QTest::newRow("error before the prompt")
            << "Opening browser…\n\x1b[31m  Error: invalid code \x1b[0m\r\nPaste code here if "
               "prompted > \n  \n"
            << Text("Error: invalid code");
        QTest::newRow("only escapes and blanks") << "\x1b[0m\n\r\n \t \n\x1b[2K" << Text();
        QTest::newRow("redrawn line")
            << "Working 10%\rWorking 99%\rLogin failed" << Text("Login failed");
        QTest::newRow("cursor movement") << "a\x1b[2K\x1b[1Gb\x1b[?25l" << Text("ab");
        QTest::newRow("other escapes stay") << "\x1b]0;title\x07x" << Text("\x1b]0;title\x07x");
    }
    void lastLineSkipsBlanksAndThePrompt() {
        QFETCH(QString, output);
        QFETCH(Text, line);
        QCOMPARE(LoginOutput::lastLine(output), line);
    }

    void charactersSurviveSplitReads_data() {
        QTest::addColumn<Pieces>("pieces");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("finished");
        const QString replacement(QChar::ReplacementCharacter);
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

QTEST_GUILESS_MAIN(LoginOutputTest)
#include "LoginOutputTest.moc"
