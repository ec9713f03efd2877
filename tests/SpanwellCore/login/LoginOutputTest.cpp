#include "login/LoginOutput.h"
#include "login/CollectedOutput.h"

#include <QTest>

using Text = std::optional<QString>;
using Pieces = QList<QByteArray>;

class LoginOutputTest : public QObject {
    Q_OBJECT

private slots:
    void signInAddressIsFound_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<Text>("address");
        QTest::newRow("the allowed host's") << "See https://example.com/a then "
                                               "https://claude.ai/b?x=1&y=2"
                                            << Text("https://claude.ai/b?x=1&y=2");
        QTest::newRow("a look-alike host") << "https://notclaude.ai/login" << Text();
        // The host is matched without regard to case, and kept as written.
        QTest::newRow("upper case") << "https://CLAUDE.AI/Login?State=A\n"
                                    << Text("https://CLAUDE.AI/Login?State=A");
        QTest::newRow("in a tag") << "href=\"https://claude.ai/a\">" << Text("https://claude.ai/a");
    }
    void signInAddressIsFound() {
        QFETCH(QString, output);
        QFETCH(Text, address);
        QCOMPARE(LoginOutput::signInURL(output), address);
    }

    void lastLineSkipsBlanksAndThePrompt_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<Text>("line");
        QTest::newRow("colours and the prompt")
            << "Opening browser…\n\x1b[31m  Error: invalid code "
               "\x1b[0m\r\nPaste code here if prompted > \n  \n"
            << Text("Error: invalid code");
        QTest::newRow("nothing but blanks") << "\x1b[0m\n\r\n \t \n\x1b[2K" << Text();
        QTest::newRow("carriage returns")
            << "Working 10%\rWorking 99%\rLogin failed" << Text("Login failed");
        QTest::newRow("cursor moves") << "a\x1b[2K\x1b[1Gb\x1b[?25l" << Text("ab");
    }
    void lastLineSkipsBlanksAndThePrompt() {
        QFETCH(QString, output);
        QFETCH(Text, line);
        QCOMPARE(LoginOutput::lastLine(output), line);
    }

    // The text after each piece, then after the end of the stream; whether each step changed
    // it is told by the step. The final texts, at every split and bound, are the fuzz target's.
    void charactersSurviveSplitReads_data() {
        QTest::addColumn<Pieces>("pieces");
        QTest::addColumn<QStringList>("texts");
        const QString bad(QChar::ReplacementCharacter);
        QTest::newRow("split") << Pieces{"\xF0\x9F", "\x98", "\x80!"}
                               << QStringList{"", "", "😀!", "😀!"};
        // Forms that can never complete (overlong, surrogate, stray) are not held back.
        QTest::newRow("overlong") << Pieces{"\xE0\x80"} << QStringList{bad + bad, bad + bad};
        QTest::newRow("surrogate") << Pieces{"\xED\xA0"} << QStringList{bad + bad, bad + bad};
        QTest::newRow("stray") << Pieces{"\x80\x80"} << QStringList{bad + bad, bad + bad};
        QTest::newRow("cut at the end")
            << Pieces{"end\xE2\x94"} << QStringList{"end", "end" + bad + bad};
    }
    void charactersSurviveSplitReads() {
        QFETCH(Pieces, pieces);
        QFETCH(QStringList, texts);
        CollectedOutput output;
        QString previous;
        for (qsizetype index = 0; index <= pieces.size(); ++index) {
            const bool changed =
                index < pieces.size() ? output.append(pieces[index]) : output.finish();
            QCOMPARE(output.text(), texts[index]);
            QCOMPARE(changed, texts[index] != previous);
            previous = texts[index];
        }
    }
};

QTEST_GUILESS_MAIN(LoginOutputTest)
#include "LoginOutputTest.moc"
