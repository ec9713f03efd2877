#include "accounts/Keychain.h"
#include "accounts/CredentialSource.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QTest>

using Token = std::optional<QString>;

// The keychain is read through its tool, a stand-in here; how the tool is stopped at its time
// limit is the child-process helper's to show.
class KeychainTest : public QObject {
    Q_OBJECT

private slots:
    void keychainFirstThenTheFile_data() {
        QTest::addColumn<QByteArray>("tool"); // the stand-in's body; none when empty
        QTest::addColumn<QString>("file");    // "none", "fifo" or "secret"
        QTest::addColumn<Token>("token");
        const auto row = [](const char* tag, const QByteArray& tool, const char* file,
                            Token token) { QTest::newRow(tag) << tool << file << token; };
        const QByteArray prints =
            R"(printf '%s\n' '{"claudeAiOauth":{"accessToken":"from-keychain"}}')";
        row("keychain first", prints, "secret", "from-keychain");
        row("file when the tool fails", prints + "\nexit 1", "secret", "from-file");
        row("file when the tool prints no credential", "echo nothing", "secret", "from-file");
        row("file when there is no tool", "", "secret", "from-file");
        row("neither", "exit 44", "none", std::nullopt);
        row("a named pipe in place of the file", "", "fifo", std::nullopt);
    }
    void keychainFirstThenTheFile() {
        QFETCH(QByteArray, tool);
        QFETCH(QString, file);
        QFETCH(Token, token);
        TemporaryHome home;
        const QString records = home.makeFolder(QStringLiteral("records"));
        const QString toolPath = home.pathOf(QStringLiteral("bin/security"));
        if (!tool.isEmpty())
            home.writeExecutable(QStringLiteral("bin/security"),
                                 StandIn::script(StandIn::recordingLines(records) + tool));
        const QString configDir = home.makeFolder(QStringLiteral(".claude-work"));
        if (file == QLatin1String("fifo"))
            home.makeNamedPipe(QStringLiteral(".claude-work/.credentials.json"));
        else if (file == QLatin1String("secret"))
            home.writeFile(QStringLiteral(".claude-work/.credentials.json"),
                           R"({"claudeAiOauth":{"accessToken":"from-file"}})");
        const Account account{configDir, QStringLiteral("Claude Code-credentials-0123abcd"),
                              QStringLiteral("me@example.com"), std::nullopt, std::nullopt};

        const std::optional<Credential> credential = CredentialSource::read(account, 5, toolPath);

        QCOMPARE(credential ? Token(credential->accessToken) : std::nullopt, token);
        QCOMPARE(StandIn::recordedArguments(records),
                 tool.isEmpty()
                     ? QStringList()
                     : QStringList({"find-generic-password", "-s", account.keychainService, "-w"}));
    }
};

QTEST_GUILESS_MAIN(KeychainTest)
#include "KeychainTest.moc"
