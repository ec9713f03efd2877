#include "accounts/Keychain.h"
#include "process/ChildProcess.h"
#include "accounts/CredentialSource.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"
#include "support/TestRegistry.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

#include <sys/stat.h>

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
        QTest::newRow("item not found")
            << QByteArray("echo 'The specified item could not be found in the keychain.' >&2\n"
                          "exit 44\n")
            << std::optional<QString>() << limitSeconds;
        QTest::newRow("prints the secret but fails")
            << QByteArray("printf '%s\\n' '@secret'\nexit 1\n") << std::optional<QString>()
            << limitSeconds;
        QTest::newRow("fills its error stream before printing")
            << QByteArray("head -c 1000000 /dev/zero >&2\nprintf '%s\\n' '@secret'\n")
            << std::optional(QStringLiteral("from-keychain")) << limitSeconds + slackSeconds;
        QTest::newRow("prints and exits cleanly when asked to end")
            << QByteArray("trap 'exit 0' TERM\nprintf '%s\\n' '@secret'\n@descendant\nwait\n")
            << std::optional<QString>() << limitSeconds + slackSeconds;
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

    void readCredentialWithoutTheTool() {
        TemporaryHome home;
        QCOMPARE(Keychain::readCredential(QStringLiteral("Claude Code-credentials"), limitSeconds,
                                          home.pathOf(QStringLiteral("bin/security"))),
                 std::nullopt);
    }

    void credentialSource_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("tool"); // "none", "plain file", or the body of the stand-in
        QTest::addColumn<QString>("file"); // "none", "fifo", or its contents
        QTest::addColumn<std::optional<QString>>("token");
        QTest::addColumn<bool>("toolRuns");
        const QString secret = QString::fromUtf8(fileSecret);

        QTest::newRow("keychain first")
            << ".claude-work"
            << "printf '%s\\n' '@secret'\n"
            << secret << std::optional(QStringLiteral("from-keychain")) << true;
        QTest::newRow("file when the keychain has nothing")
            << ".claude-work"
            << "exit 44\n"
            << secret << std::optional(QStringLiteral("from-file")) << true;
        QTest::newRow("file of the default folder")
            << ".claude"
            << "exit 44\n"
            << secret << std::optional(QStringLiteral("from-file")) << true;
        QTest::newRow("file when there is no keychain tool")
            << ".claude-work"
            << "none" << secret << std::optional(QStringLiteral("from-file")) << false;
        QTest::newRow("a tool that is not executable is passed over")
            << ".claude-work"
            << "plain file" << secret << std::optional(QStringLiteral("from-file")) << false;
        QTest::newRow("neither") << ".claude-work"
                                 << "exit 44\n"
                                 << "none" << std::optional<QString>() << true;
        QTest::newRow("a file that is no credential")
            << ".claude-work"
            << "none"
            << R"({"claudeAiOauth":{}})" << std::optional<QString>() << false;
        QTest::newRow("a named pipe in place of the file")
            << ".claude-work"
            << "none"
            << "fifo" << std::optional<QString>() << false;
    }

    void credentialSource() {
        QFETCH(QString, folder);
        QFETCH(QString, tool);
        QFETCH(QString, file);
        QFETCH(std::optional<QString>, token);
        QFETCH(bool, toolRuns);
        TemporaryHome home;
        const QString records = home.makeFolder(QStringLiteral("records"));
        QString toolPath = home.pathOf(QStringLiteral("bin/security"));
        if (tool == QLatin1String("plain file"))
            home.writeFile(QStringLiteral("bin/security"), "#!/bin/sh\nexit 0\n");
        else if (tool != QLatin1String("none"))
            toolPath = writeTool(home, records, tool.toUtf8());

        const QString configDir = home.makeFolder(folder);
        const QString credentials = CredentialSource::filePath(configDir);
        QCOMPARE(credentials, configDir + QStringLiteral("/.credentials.json"));
        if (file == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(credentials).constData(), 0600), 0);
        else if (file != QLatin1String("none"))
            home.writeFile(folder + QStringLiteral("/.credentials.json"), file.toUtf8());
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

SPANWELL_TEST(KeychainTest)
#include "KeychainTest.moc"
