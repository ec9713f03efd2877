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
    // After the fixed places: nvm's node versions in descending code-point order (the order
    // discovery's test shows apart from UTF-16's), then the search path's absolute folders.
    void candidatesComeInOrder() {
        TemporaryHome home;
        for (const char* version : {"18.20.0", "20.11.0", "9.0.0"})
            home.makeFolder(QStringLiteral(".nvm/versions/node/") + QString::fromUtf8(version));
        const QString node = home.pathOf(QStringLiteral(".nvm/versions/node/"));
        // Empty and relative entries of the search path would mean the working folder.
        const QStringList candidates = ClaudeCLI::candidates(home.path(), FileSystem::local(),
                                                             "bin::/opt/tools/bin:/usr/bin/");
        QStringList expected;
        for (const char* version : {"9.0.0", "20.11.0", "18.20.0"})
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

    // The stand-in exits with 0 when it renews, 1 when the account is not signed in.
    void renewSignIn_data() {
        QTest::addColumn<bool>("isDefault");
        // Where `claude` is installed, below the home folder; "tools" is only on the PATH.
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("renewed");
        QTest::newRow("named folder") << false << ".local/bin" << true;
        QTest::newRow("default folder, not signed in") << true << ".local/bin" << false;
        QTest::newRow("on the search path") << false << "tools" << true;
    }
    void renewSignIn() {
        QFETCH(bool, isDefault);
        QFETCH(QString, folder);
        QFETCH(bool, renewed);
        TemporaryHome home;
        ScopedEnvironment environment;
        pointAt(environment, home);
        const QString records = home.makeFolder(QStringLiteral("records"));
        home.writeExecutable(
            folder + QStringLiteral("/claude"),
            StandIn::script(StandIn::recordingLines(records) + (renewed ? "exit 0" : "exit 1")));
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
