#include "accounts/ClaudeCLI.h"
#include "support/TemporaryHome.h"
#include "support/TestRegistry.h"

#include <QScopeGuard>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

class ClaudeCLITest : public QObject {
    Q_OBJECT

private slots:
    void candidatesComeInOrder() {
        TemporaryHome home;
        for (const char* version : {"18.20.0", "20.11.0", "9.0.0"})
            home.makeFolder(QStringLiteral(".nvm/versions/node/") + QLatin1String(version));
        home.writeFile(QStringLiteral(".nvm/versions/node/notes.txt"), "x");
        const QString h = home.path();
        const QString node = h + QStringLiteral("/.nvm/versions/node/");
        QCOMPARE(ClaudeCLI::candidates(h, FileSystem::local()), QStringList({
                                                                    h + "/.local/bin/claude",
                                                                    h + "/.claude/local/claude",
                                                                    "/opt/homebrew/bin/claude",
                                                                    "/usr/local/bin/claude",
                                                                    h + "/.npm-global/bin/claude",
                                                                    h + "/.volta/bin/claude",
                                                                    h + "/.bun/bin/claude",
                                                                    node + "notes.txt/bin/claude",
                                                                    node + "9.0.0/bin/claude",
                                                                    node + "20.11.0/bin/claude",
                                                                    node + "18.20.0/bin/claude",
                                                                }));
        QCOMPARE(
            ClaudeCLI::candidates(home.pathOf(QStringLiteral("none")), FileSystem::local()).size(),
            7);
    }

    void pathIsTheFirstExecutableCandidate() {
        TemporaryHome home;
        const QByteArray previousHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        const auto restore = qScopeGuard([&] { qputenv("HOME", previousHome); });

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

    void environmentIsBuiltFromNothing() {
        qputenv("TERM", "xterm-256color");
        qputenv("https_proxy", "http://proxy.example:8080");
        const QProcessEnvironment named = ClaudeCLI::environment(
            QStringLiteral("/opt/homebrew/bin/claude"), QStringLiteral("/Users/me/.claude-work"));
        QCOMPARE(named.keys(), QStringList({"CLAUDE_CONFIG_DIR", "HOME", "LANG", "PATH", "USER"}));
        QCOMPARE(named.value(QStringLiteral("PATH")),
                 QStringLiteral("/opt/homebrew/bin:/usr/bin:/bin:/usr/sbin:/sbin"));
        QCOMPARE(named.value(QStringLiteral("LANG")), QStringLiteral("en_US.UTF-8"));
        QCOMPARE(named.value(QStringLiteral("HOME")), QDir::homePath());
        QCOMPARE(named.value(QStringLiteral("USER")),
                 QString::fromLocal8Bit(getpwuid(getuid())->pw_name));
        QCOMPARE(named.value(QStringLiteral("CLAUDE_CONFIG_DIR")),
                 QStringLiteral("/Users/me/.claude-work"));

        const QProcessEnvironment main =
            ClaudeCLI::environment(QStringLiteral("/link/to/claude"), std::nullopt);
        QCOMPARE(main.keys(), QStringList({"HOME", "LANG", "PATH", "USER"}));
        QCOMPARE(main.value(QStringLiteral("PATH")),
                 QStringLiteral("/link/to:/usr/bin:/bin:/usr/sbin:/sbin"));
    }
};

SPANWELL_TEST(ClaudeCLITest)
#include "ClaudeCLITest.moc"
