#include "login/LoginOutput.h"
#include "login/CollectedOutput.h"

#include <QTest>

using Text = std::optional<QString>;
using Pieces = QList<QByteArray>;

class LoginOutputTest : public QObject {
    Q_OBJECT

private slots:
    void signInAddressIsFound() {
        const std::pair<const char*, Text> rows[] = {
            {"See https://example.com/a then https://claude.ai/b?x=1&y=2",
             "https://claude.ai/b?x=1&y=2"},
            {"go to https://console.anthropic.com/login now",
             "https://console.anthropic.com/login"},
            {"https://notclaude.ai/login", std::nullopt},
            // The host is matched without regard to case, and kept as written.
            {"https://CLAUDE.AI/Login?State=A\n", "https://CLAUDE.AI/Login?State=A"},
            {"http://claude.ai/login", std::nullopt},
            {"\x1b[1mhttps://claude.ai/a\x1b[0m\r\n", "https://claude.ai/a"},
            {"href=\"https://claude.ai/a\">", "https://claude.ai/a"},
            {"https://claude.ai/a\u00a0next", "https://claude.ai/a"},
            {"https://claude.ai/a\u2028next", "https://claude.ai/a"}};
        for (const auto& [output, address] : rows)
            QCOMPARE(LoginOutput::signInURL(QString::fromUtf8(output)), address);
    }

    void lastLineSkipsBlanksAndThePrompt() {
        const std::pair<const char*, Text> rows[] = {
            {"Opening browser…\n\x1b[31m  Error: invalid code \x1b[0m\r\n"
             "Paste code here if prompted > \n  \n",
             "Error: invalid code"},
            {"\x1b[0m\n\r\n \t \n\x1b[2K", std::nullopt},
            {"Working 10%\rWorking 99%\rLogin failed", "Login failed"},
            {"a\x1b[2K\x1b[1Gb\x1b[?25l", "ab"},
            {"\x1b]0;title\x07x", "\x1b]0;title\x07x"}};
        for (const auto& [output, line] : rows)
            QCOMPARE(LoginOutput::lastLine(QString::fromUtf8(output)), line);
    }

    // The text after each piece, then after the end of the stream; whether each step changed
    // it is told by the step.
    void charactersSurviveSplitReads() {
        const QString bad(QChar::ReplacementCharacter);
        const std::pair<Pieces, QStringList> rows[] = {
            {{"\xF0\x9F", "\x98", "\x80!"}, {"", "", "😀!", "😀!"}},
            {{"a\xFF", "b"}, {"a" + bad, "a" + bad + "b", "a" + bad + "b"}},
            {{"\xC3", "A"}, {"", bad + "A", bad + "A"}},
            // Forms that can never complete (overlong, surrogate, stray) are not held back.
            {{"\xE0\x80"}, {bad + bad, bad + bad}},
            {{"\xED\xA0"}, {bad + bad, bad + bad}},
            {{"\x80\x80"}, {bad + bad, bad + bad}},
            {{"end\xE2\x94"}, {"end", "end" + bad + bad}}};
        for (const auto& [pieces, texts] : rows) {
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
    }

    // At most the first and the last 4 units are kept, never parting a surrogate pair.
    void keepsTheBeginningAndTheEnd() {
        const std::pair<Pieces, QString> rows[] = {
            {{"12345678"}, "12345678"},
            {{"123456789"}, "1234\n…\n6789"},
            {{"123456789", "abc", "de"}, "1234\n…\nbcde"},
            {{"abc\xF0\x9F\x98\x80"
              "defghij"},
             "abc\n…\nghij"},
            {{"abcdefgh\xF0\x9F\x98\x80xyz"}, "abcd\n…\nxyz"}};
        for (const auto& [pieces, kept] : rows) {
            CollectedOutput output(4);
            for (const QByteArray& piece : pieces)
                output.append(piece);
            QCOMPARE(output.text(), kept);
        }
    }
};

QTEST_GUILESS_MAIN(LoginOutputTest)
#include "LoginOutputTest.moc"
