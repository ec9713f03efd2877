#include "accounts/Credential.h"
#include "accounts/CredentialSource.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QTest>

using Token = std::optional<QString>;

namespace {

// 2023-11-14 22:13:20 UTC, worked out independently of the millisecond conversion.
const Instant november14 =
    Instant::fromDateTime(QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20), Qt::UTC));

Credential tokenOnly(const QString& token) {
    return Credential{token, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
}

} // namespace

// The keychain is read through its tool, a stand-in here; how the tool is stopped at its time
// limit is the child-process helper's to show.
class CredentialTest : public QObject {
    Q_OBJECT

private slots:
    // What is refused (a credential Qt would not read as it stands, an empty token) the fuzz
    // target asserts.
    void parse() {
        // Every field, with the keychain tool's line end.
        QCOMPARE(Credential::parse(
                     R"({"claudeAiOauth":{"accessToken":"sk-ant-oat01-x","refreshToken":"r",)"
                     R"("expiresAt":1700000000000,"refreshTokenExpiresAt":1700000000500.5,)"
                     R"("scopes":["user:inference"],"subscriptionType":"max",)"
                     R"("rateLimitTier":"default_claude_max_20x"}})"
                     "\n"),
                 (Credential{QStringLiteral("sk-ant-oat01-x"), november14,
                             Instant::fromUnixSeconds(1700000000.5005), QStringLiteral("max"),
                             QStringLiteral("default_claude_max_20x")}));
        // A time written as text, one beyond any calendar, other fields of the wrong type.
        QCOMPARE(
            Credential::parse(
                R"({"claudeAiOauth":{"accessToken":"t","expiresAt":"1700000000000",)"
                R"("refreshTokenExpiresAt":-9.2e18,"subscriptionType":7,"rateLimitTier":null}})"),
            tokenOnly("t"));
    }

    void keychainFirstThenTheFile_data() {
        QTest::addColumn<QByteArray>("tool"); // the stand-in's body; none when empty
        QTest::addColumn<QString>("file");    // "fifo" or "secret"
        QTest::addColumn<Token>("token");
        const auto row = [](const char* tag, const QByteArray& tool, const char* file,
                            Token token) { QTest::newRow(tag) << tool << file << token; };
        const QByteArray prints =
            R"(printf '%s\n' '{"claudeAiOauth":{"accessToken":"from-keychain"}}')";
        row("keychain first", prints, "secret", "from-keychain");
        row("file when the tool fails", prints + "\nexit 1", "secret", "from-file");
        row("file when the tool prints no credential", "echo nothing", "secret", "from-file");
        row("file when there is no tool", "", "secret", "from-file");
        row("a failing tool, and a named pipe in place of the file", "exit 44", "fifo",
            std::nullopt);
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

QTEST_GUILESS_MAIN(CredentialTest)
#include "CredentialTest.moc"
