#include "login/LoginOutput.h"
#include "support/TestRegistry.h"

#include <QTest>

using Text = std::optional<QString>;
Q_DECLARE_METATYPE(Text)

class LoginOutputTest : public QObject {
    Q_OBJECT

private slots:
    void signInAddressIsFound_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<Text>("address");
        const QString page = QStringLiteral("https://claude.ai/oauth/authorize?code=true&x=1");
        QTest::newRow("alone") << "Open " + page + "\n" << Text(page);
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
        QTest::newRow("ends at angle bracket")
            << "<https://claude.ai/a>" << Text("https://claude.ai/a");
        QTest::newRow("keeps a full stop")
            << "Visit https://claude.ai/a." << Text("https://claude.ai/a.");
        QTest::newRow("inside colours")
            << "\x1b[1mhttps://claude.ai/a \x1b[0m" << Text("https://claude.ai/a");
        QTest::newRow("in a box after a carriage return") << "│ https://claude.ai/a\r\n"
                                                          << Text("https://claude.ai/a");
        QTest::newRow("nothing") << "Waiting…" << Text();
    }
    void signInAddressIsFound() {
        QFETCH(QString, output);
        QFETCH(Text, address);
        QCOMPARE(LoginOutput::signInURL(output), address);
    }

    void plainRemovesControlSequences_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("plain");
        QTest::newRow("colour and reset") << "\x1b[1;32mDone\x1b[0m\r\n"
                                          << "Done\n\n";
        QTest::newRow("cursor movement") << "a\x1b[2K\x1b[1Gb\x1b[?25l"
                                         << "ab";
        QTest::newRow("other escapes stay") << "\x1b]0;title\x07x"
                                            << "\x1b]0;title\x07x";
        QTest::newRow("empty") << ""
                               << "";
    }
    void plainRemovesControlSequences() {
        QFETCH(QString, output);
        QFETCH(QString, plain);
        QCOMPARE(LoginOutput::plain(output), plain);
    }

    void lastLineSkipsBlanksAndThePrompt_data() {
        QTest::addColumn<QString>("output");
        QTest::addColumn<Text>("line");
        QTest::newRow("error before the prompt")
            << "Opening browser…\n\x1b[31m  Error: invalid code \x1b[0m\r\nPaste code here if "
               "prompted > \n  \n"
            << Text("Error: invalid code");
        QTest::newRow("only escapes and blanks") << "\x1b[0m\n\r\n \t \n\x1b[2K" << Text();
        QTest::newRow("empty") << "" << Text();
        QTest::newRow("redrawn line")
            << "Working 10%\rWorking 99%\rLogin failed" << Text("Login failed");
    }
    void lastLineSkipsBlanksAndThePrompt() {
        QFETCH(QString, output);
        QFETCH(Text, line);
        QCOMPARE(LoginOutput::lastLine(output), line);
    }
};

SPANWELL_TEST(LoginOutputTest)
#include "LoginOutputTest.moc"
