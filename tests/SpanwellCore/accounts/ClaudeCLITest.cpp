#include "accounts/ClaudeCLI.h"
#include "support/ScopedEnvironment.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

// Points the user's home folder at `home`, and the search path at its folder "tools" (after a
// relative entry, which counts for nothing).
void pointAt(ScopedEnvironment& environment, const TemporaryHome& home) {
    environment.set("HOME", home.path().toUtf8())
        .set("PATH", "relative:" + home.pathOf(QStringLiteral("tools")).toUtf8());
}

} // namespace

class ClaudeCLITest : public QObject {
    Q_OBJECT

private slots:
    // After the fixed places: nvm's node versions, then the search path's absolute folders.
    void candidatesComeInOrder() {
        TemporaryHome home;
        for (const char* version : {"18.20.0", "20.11.0", "9.0.0", "\uFF5E", "\U0001F600"})
            home.makeFolder(QStringLiteral(".nvm/versions/node/") + QString::fromUtf8(version));
        const QString node = home.pathOf(QStringLiteral(".nvm/versions/node/"));
        // Empty and relative entries of the search path would mean the working folder.
        const QStringList candidates = ClaudeCLI::candidates(home.path(), FileSystem::local(),
                                                             "bin::/opt/tools/bin:/usr/bin/");
        // Descending code-point order: U+FF5E comes before U+1F600 by code points, after it by
        // UTF-16 units; 9.0.0 comes before 20.11.0.
        QStringList expected;
        for (const char* version : {"\U0001F600", "\uFF5E", "9.0.0", "20.11.0", "18.20.0"})
            expected << node + QString::fromUtf8(version) + "/bin/claude";
        expected << "/opt/tools/bin/claude"
                 << "/usr/bin/claude"
                 << "/usr/bin/claude";
        QCOMPARE(candidates.mid(7), expected);
    }

    void pathIsTheFirstExecutableCandidate() {
        TemporaryHome home;
        ScopedEnvironment environment;
        pointAt(environment, home);
        QCOMPARE(ClaudeCLI::path(), std::nullopt);
        const QString volta = home.writeExecutable(QStringLiteral(".volta/bin/claude"), "");
        home.writeFile(QStringLiteral(".npm-global/bin/claude"), "not executable");
        QCOMPARE(ClaudeCLI::path(), volta);
        const QString local = home.writeExecutable(QStringLiteral(".local/bin/claude"), "");
        home.makeFolder(QStringLiteral(".claude/local/claude"));
        QCOMPARE(ClaudeCLI::path(), local);
    }

    void renewSignIn_data() {
        QTest::addColumn<bool>("isDefault");
        QTest::addColumn<QByteArray>("body");
        // Where `claude` is installed, below the home folder; "tools" is only on the PATH.
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("renewed");
        QTest::newRow("named folder") << false << QByteArray("exit 0") << ".local/bin" << true;
        QTest::newRow("default folder") << true << QByteArray("exit 0") << ".local/bin" << true;
        QTest::newRow("not signed in") << false << QByteArray("exit 1") << ".local/bin" << false;
        QTest::newRow("on the search path") << false << QByteArray("exit 0") << "tools" << true;
    }
    void renewSignIn() {
        QFETCH(bool, isDefault);
        QFETCH(QByteArray, body);
        QFETCH(QString, folder);
        QFETCH(bool, renewed);
        TemporaryHome home;
        ScopedEnvironment environment;
        pointAt(environment, home);
        environment.set("SPANWELL_TEST_MARKER", "not for the child");
        const QString records = home.makeFolder(QStringLiteral("records"));
        home.writeExecutable(folder + QStringLiteral("/claude"),
                             StandIn::script(StandIn::recordingLines(records) + body));
        const QString configDir = home.makeFolder(isDefault ? ".claude" : ".claude-work");

        QCOMPARE(ClaudeCLI::renewSignIn(configDir, isDefault, 5), renewed);
        QCOMPARE(StandIn::recordedArguments(records), QStringList({"auth", "status"}));
        QStringList expected{"HOME=" + home.path(), "LANG=en_US.UTF-8",
                             "PATH=" + home.pathOf(folder) + ":/usr/bin:/bin:/usr/sbin:/sbin",
                             "USER=" + QString::fromLocal8Bit(getpwuid(getuid())->pw_name)};
        if (!isDefault)
            expected.prepend("CLAUDE_CONFIG_DIR=" + configDir);
        QCOMPARE(StandIn::recordedEnvironment(records), expected);
        QCOMPARE(StandIn::recordedStreams(records),
                 QStringList({"/dev/null", "/dev/null", "/dev/null"}));
    }
};

QTEST_GUILESS_MAIN(ClaudeCLITest)
#include "ClaudeCLITest.moc"
