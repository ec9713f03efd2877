#include "accounts/ClaudeCLI.h"
#include "process/ChildProcess.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

constexpr double limitSeconds = 0.5;

QString loginName() {
    return QString::fromLocal8Bit(getpwuid(getuid())->pw_name);
}

// Points the current user's home folder at `home`, and the search path at its folder "tools"
// (after a relative entry, which counts for nothing), until the returned guard goes.
auto homeFolderAt(const TemporaryHome& home) {
    const QByteArray previousHome = qgetenv("HOME");
    const QByteArray previousPath = qgetenv("PATH");
    qputenv("HOME", home.path().toUtf8());
    qputenv("PATH", "relative:" + home.pathOf(QStringLiteral("tools")).toUtf8());
    return qScopeGuard([previousHome, previousPath] {
        qputenv("HOME", previousHome);
        qputenv("PATH", previousPath);
    });
}

} // namespace

class ClaudeCLITest : public QObject {
    Q_OBJECT

private slots:
    void candidatesComeInOrder() {
        TemporaryHome home;
        for (const char* version : {"18.20.0", "20.11.0", "9.0.0", "\uFF5E", "\U0001F600"})
            home.makeFolder(QStringLiteral(".nvm/versions/node/") + QString::fromUtf8(version));
        home.writeFile(QStringLiteral(".nvm/versions/node/notes.txt"), "x");
        const QString h = home.path();
        const QString node = h + QStringLiteral("/.nvm/versions/node/");
        // Empty and relative entries of the search path would mean the working folder.
        const QString searchPath = QStringLiteral("bin::/opt/tools/bin:/usr/bin/");
        QCOMPARE(ClaudeCLI::candidates(h, FileSystem::local(), searchPath),
                 QStringList({
                     h + "/.local/bin/claude",
                     h + "/.claude/local/claude",
                     "/opt/homebrew/bin/claude",
                     "/usr/local/bin/claude",
                     h + "/.npm-global/bin/claude",
                     h + "/.volta/bin/claude",
                     h + "/.bun/bin/claude",
                     node + "\U0001F600/bin/claude",
                     node + "\uFF5E/bin/claude",
                     node + "notes.txt/bin/claude",
                     node + "9.0.0/bin/claude",
                     node + "20.11.0/bin/claude",
                     node + "18.20.0/bin/claude",
                     "/opt/tools/bin/claude",
                     "/usr/bin/claude",
                     "/usr/bin/claude",
                 }));
        QCOMPARE(ClaudeCLI::candidates(home.pathOf(QStringLiteral("none")), FileSystem::local(),
                                       QString())
                     .size(),
                 8);
    }

    void pathIsTheFirstExecutableCandidate() {
        TemporaryHome home;
        const auto restore = homeFolderAt(home);

        QCOMPARE(ClaudeCLI::path(), std::nullopt);
        const QString volta =
            home.writeExecutable(QStringLiteral(".volta/bin/claude"), "#!/bin/sh\n");
        home.writeFile(QStringLiteral(".npm-global/bin/claude"), "not executable");
        QCOMPARE(ClaudeCLI::path(), volta);
        const QString local =
            home.writeExecutable(QStringLiteral(".local/bin/claude"), "#!/bin/sh\n");
        QCOMPARE(ClaudeCLI::path(), local);
        home.makeFolder(QStringLiteral(".claude/local/claude"));
        QCOMPARE(ClaudeCLI::path(), local);
    }

    void renewSignIn_data() {
        QTest::addColumn<bool>("isDefault");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("renewed");
        QTest::addColumn<double>("latest");
        // Where `claude` is installed, below the home folder; "tools" is only on the PATH.
        QTest::addColumn<QString>("folder");
        const double limit = limitSeconds;
        const double grace = ChildProcess::terminationGraceSeconds;
        const double slack = 1.5;
        const QString local = QStringLiteral(".local/bin");

        QTest::newRow("named folder") << false << QByteArray("exit 0\n") << true << limit << local;
        QTest::newRow("default folder") << true << QByteArray("exit 0\n") << true << limit << local;
        QTest::newRow("not signed in")
            << false << QByteArray("exit 1\n") << false << limit << local;
        QTest::newRow("ignores the request to end")
            << false << QByteArray("trap '' TERM\n@descendant\nwait\n") << false
            << limit + grace + slack << local;
        QTest::newRow("found on the search path")
            << false << QByteArray("exit 0\n") << true << limit << QStringLiteral("tools");
    }

    void renewSignIn() {
        QFETCH(bool, isDefault);
        QFETCH(QByteArray, body);
        QFETCH(bool, renewed);
        QFETCH(double, latest);
        QFETCH(QString, folder);
        TemporaryHome home;
        const auto restore = homeFolderAt(home);
        const QString records = home.makeFolder(QStringLiteral("records"));
        const auto cleanUp = qScopeGuard([&] { StandIn::endDescendant(records); });
        body.replace("@descendant\n", StandIn::descendantLine(records));
        home.writeExecutable(folder + QStringLiteral("/claude"),
                             StandIn::script(StandIn::recordingLines(records) + body));
        const QString configDir = home.makeFolder(isDefault ? ".claude" : ".claude-work");
        qputenv("SPANWELL_TEST_MARKER", "from the test");
        const auto unset = qScopeGuard([] { qunsetenv("SPANWELL_TEST_MARKER"); });

        QElapsedTimer clock;
        clock.start();
        const bool result = ClaudeCLI::renewSignIn(configDir, isDefault, limitSeconds);
        const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;

        QCOMPARE(result, renewed);
        QVERIFY2(seconds <= latest, qPrintable(QString::number(seconds)));
        QVERIFY(StandIn::hasEnded(records));
        QCOMPARE(StandIn::recordedArguments(records), QStringList({"auth", "status"}));
        QStringList environment{
            "HOME=" + home.path(),
            "LANG=en_US.UTF-8",
            "PATH=" + home.pathOf(folder) + ":/usr/bin:/bin:/usr/sbin:/sbin",
            "USER=" + loginName(),
        };
        if (!isDefault)
            environment.prepend("CLAUDE_CONFIG_DIR=" + configDir);
        QCOMPARE(StandIn::recordedEnvironment(records), environment);
        QCOMPARE(StandIn::recordedStreams(records),
                 QStringList({"/dev/null", "/dev/null", "/dev/null"}));
    }

    void renewSignInWithoutClaude() {
        for (const char* installed :
             {"/opt/homebrew/bin/claude", "/usr/local/bin/claude", "/usr/bin/claude"})
            if (QFileInfo(QLatin1String(installed)).isExecutable())
                QSKIP("Claude Code is installed for every user on this machine");
        TemporaryHome home;
        const auto restore = homeFolderAt(home);
        home.writeFile(QStringLiteral(".local/bin/claude"), "#!/bin/sh\nexit 0\n");
        QVERIFY(!ClaudeCLI::renewSignIn(home.pathOf(QStringLiteral(".claude-work")), false, 5));
    }
};

QTEST_GUILESS_MAIN(ClaudeCLITest)
#include "ClaudeCLITest.moc"
