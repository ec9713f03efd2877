#include "accounts/Keychain.h"
#include "accounts/CredentialSource.h"
#include "process/ChildProcess.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

namespace {

const QByteArray keychainSecret = R"({"claudeAiOauth":{"accessToken":"from-keychain"}})";
const QByteArray fileSecret = R"({"claudeAiOauth":{"accessToken":"from-file"}})";

constexpr double limitSeconds = 0.5;
constexpr double slackSeconds = 1.5;

// The keychain tool stand-in: records how it was run into `folder`, then runs `body`.
QString writeTool(const TemporaryHome& home, const QString& folder, QByteArray body) {
    body.replace("@descendant\n", StandIn::descendantLine(folder));
    body.replace("@secret", keychainSecret);
    return home.writeExecutable(QStringLiteral("bin/security"),
                                StandIn::script(StandIn::recordingLines(folder) + body));
}

} // namespace

class KeychainTest : public QObject {
    Q_OBJECT

private slots:
    void readCredential_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<std::optional<QString>>("token");
        const double grace = ChildProcess::terminationGraceSeconds;
        QTest::addColumn<double>("latest");

        QTest::newRow("prints the secret")
            << QByteArray("printf '%s\\n' '@secret'\n")
            << std::optional(QStringLiteral("from-keychain")) << limitSeconds;
        QTest::newRow("prints the secret but fails")
            << QByteArray("printf '%s\\n' '@secret'\nexit 1\n") << std::optional<QString>()
            << limitSeconds;
        QTest::newRow("ignores the request to end")
            << QByteArray("trap '' TERM\nprintf '%s\\n' '@secret'\n@descendant\nwait\n")
            << std::optional<QString>() << limitSeconds + grace + slackSeconds;
    }

    void readCredential() {
        QFETCH(QByteArray, body);
        QFETCH(std::optional<QString>, token);
        QFETCH(double, latest);
        TemporaryHome home;
        const auto cleanUp = qScopeGuard([&] { StandIn::endDescendant(home.path()); });
        const QString tool = writeTool(home, home.path(), body);
        const QString service = QStringLiteral("Claude Code-credentials-'$(touch x)' *");
        qputenv("SPANWELL_TEST_MARKER", "from the test");
        const auto restore = qScopeGuard([] { qunsetenv("SPANWELL_TEST_MARKER"); });

        QElapsedTimer clock;
        clock.start();
        const std::optional<Credential> credential =
            Keychain::readCredential(service, limitSeconds, tool);
        const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;

        QCOMPARE(credential ? std::optional(credential->accessToken) : std::nullopt, token);
        QVERIFY2(seconds <= latest, qPrintable(QString::number(seconds)));
        QVERIFY(StandIn::hasEnded(home.path()));
        QCOMPARE(StandIn::recordedArguments(home.path()),
                 QStringList({"find-generic-password", "-s", service, "-w"}));
        QVERIFY(StandIn::recordedEnvironment(home.path())
                    .contains(QStringLiteral("SPANWELL_TEST_MARKER=from the test")));
        const QStringList streams = StandIn::recordedStreams(home.path());
        QCOMPARE(streams.size(), 3);
        QCOMPARE(streams[0], StandIn::ownStream(0));
        QVERIFY(streams[1].startsWith(QLatin1String("pipe:")));
        QCOMPARE(streams[2], QStringLiteral("/dev/null"));
    }

    void credentialSource_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("tool"); // "none" or the body of the stand-in
        QTest::addColumn<QString>("file");    // "none", "fifo" or "secret"
        QTest::addColumn<std::optional<QString>>("token");
        QTest::addColumn<bool>("toolRuns");
        const auto row = [](const char* tag, const char* folder, const QByteArray& tool,
                            const char* file, const char* token, bool toolRuns) {
            QTest::newRow(tag) << folder << tool << file
                               << (token ? std::optional<QString>(token) : std::nullopt)
                               << toolRuns;
        };
        const QByteArray prints = "printf '%s\\n' '@secret'\n", nothing = "exit 44\n";
        row("keychain first", ".claude-work", prints, "secret", "from-keychain", true);
        row("file when the keychain has nothing", ".claude-work", nothing, "secret", "from-file",
            true);
        row("file of the default folder", ".claude", nothing, "secret", "from-file", true);
        row("file when there is no keychain tool", ".claude-work", "none", "secret", "from-file",
            false);
        row("neither", ".claude-work", nothing, "none", nullptr, true);
        row("a named pipe in place of the file", ".claude-work", "none", "fifo", nullptr, false);
    }

    void credentialSource() {
        QFETCH(QString, folder);
        QFETCH(QByteArray, tool);
        QFETCH(QString, file);
        QFETCH(std::optional<QString>, token);
        QFETCH(bool, toolRuns);
        TemporaryHome home;
        const QString records = home.makeFolder(QStringLiteral("records"));
        QString toolPath = home.pathOf(QStringLiteral("bin/security"));
        if (tool != "none")
            toolPath = writeTool(home, records, tool);

        const QString configDir = home.makeFolder(folder);
        if (file == QLatin1String("fifo"))
            home.makeNamedPipe(folder + QStringLiteral("/.credentials.json"));
        else if (file == QLatin1String("secret"))
            home.writeFile(folder + QStringLiteral("/.credentials.json"), fileSecret);
        const Account account{configDir, QStringLiteral("Claude Code-credentials-0123abcd"),
                              QStringLiteral("me@example.com"), std::nullopt, std::nullopt};

        const std::optional<Credential> credential =
            CredentialSource::read(account, limitSeconds, toolPath);

        QCOMPARE(credential ? std::optional(credential->accessToken) : std::nullopt, token);
        QCOMPARE(QFile::exists(records + QStringLiteral("/arguments")), toolRuns);
        if (toolRuns)
            QCOMPARE(StandIn::recordedArguments(records),
                     QStringList({"find-generic-password", "-s", account.keychainService, "-w"}));
    }
};

QTEST_GUILESS_MAIN(KeychainTest)
#include "KeychainTest.moc"
