#include "commandline/RenewalCheck.h"
#include "support/SpanwellProcess.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QBuffer>
#include <QTest>

namespace {

struct Call {
    QString configDir;
    bool isDefault;
    QByteArray printedBefore;
    bool operator==(const Call&) const = default;
};

} // namespace

class RenewalCheckTest : public QObject {
    Q_OBJECT

private slots:
    // In turn, each line out before the next renewal starts, and a folder name that would
    // forge a line of its own and clear the terminal escaped.
    void reportsEveryAccountInTurn() {
        TemporaryHome home;
        const QString hostile = QStringLiteral(".claude-a\nforged ok\x1b[2J");
        home.addAccount(QStringLiteral(".claude"), QStringLiteral("me@example.com"));
        home.addAccount(hostile, QStringLiteral("a@example.com"));
        // A device, unlike a string, holds back what is not flushed, as standard output does.
        QBuffer printed;
        QVERIFY(printed.open(QIODevice::WriteOnly));
        QTextStream output(&printed);
        QList<Call> calls;
        RenewalCheck::run(
            home.path(), FileSystem::local(),
            [&](const QString& configDir, bool isDefault) {
                calls.append({configDir, isDefault, printed.data()});
                return isDefault;
            },
            output);

        const QByteArray first = "~/.claude ok\n";
        QCOMPARE(printed.data(), first + "~/.claude-a\\nforged ok\\x1b[2J FAILED\n");
        QCOMPARE(calls, QList<Call>({{home.pathOf(QStringLiteral(".claude")), true, {}},
                                     {home.pathOf(hostile), false, first}}));
    }

    // The executable renews through Claude Code, with no display to connect to.
    void executableRunsTheCheck() {
        TemporaryHome home;
        home.addAccount(QStringLiteral(".claude"), QStringLiteral("me@example.com"));
        home.addAccount(QStringLiteral(".claude-broken"), QStringLiteral("b@example.com"));
        // Fails for the folder it is pointed at only when that is the broken one.
        home.writeExecutable(
            QStringLiteral(".local/bin/claude"),
            StandIn::script("case \"$CLAUDE_CONFIG_DIR\" in\n*-broken) exit 1 ;;\nesac\n"));

        const auto finished = SpanwellProcess::run({QStringLiteral("--renew-check")},
                                                   SpanwellProcess::environment(home.path()));
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(finished.output, QByteArray("~/.claude ok\n~/.claude-broken FAILED\n"));
        QCOMPARE(finished.errors, QByteArray());
    }
};

QTEST_GUILESS_MAIN(RenewalCheckTest)
#include "RenewalCheckTest.moc"
