#include "support/SpanwellProcess.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QTest>

class RenewalCheckTest : public QObject {
    Q_OBJECT

private slots:
    // Renewed through Claude Code with no display to connect to, each account's line out
    // before the next renewal starts, and a folder name that would forge a line of its own and
    // clear the terminal escaped.
    void reportsEveryAccountInTurn() {
        TemporaryHome home;
        home.addAccount(QStringLiteral(".claude"), QStringLiteral("me@example.com"));
        home.addAccount(QStringLiteral(".claude-broken\nforged ok\x1b[2J"),
                        QStringLiteral("b@example.com"));
        home.addAccount(QStringLiteral(".claude-last"), QStringLiteral("l@example.com"));
        // Fails for the broken folder, and kills the program at the last one, so that only what
        // it had written out by then reaches the test.
        home.writeExecutable(QStringLiteral(".local/bin/claude"),
                             StandIn::script("case \"$CLAUDE_CONFIG_DIR\" in\n*-broken*) exit 1 "
                                             ";;\n*-last) kill -KILL $PPID ;;\nesac\n"));

        const auto finished = SpanwellProcess::run({QStringLiteral("--renew-check")},
                                                   SpanwellProcess::environment(home.path()));
        QCOMPARE(finished.exitCode, -1);
        QCOMPARE(finished.output,
                 QByteArray("~/.claude ok\n~/.claude-broken\\nforged ok\\x1b[2J FAILED\n"));
        QCOMPARE(finished.errors, QByteArray());
    }
};

QTEST_GUILESS_MAIN(RenewalCheckTest)
#include "RenewalCheckTest.moc"
