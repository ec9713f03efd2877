#include "SignInHarness.h"
#include "support/Holds.h"

#include <QSignalSpy>
#include <QTest>

using Phase = SignInFlow::Phase;
Q_DECLARE_METATYPE(SignInFlow::Phase)

namespace {

// Prints the address in pieces, dim and inside a hyperlink sequence, with no space before the
// sequences that end them, then a second allowed address.
const QByteArray printsAddress =
    "printf 'Opening \\033]8;;https://claude.ai/oauth/authorize?state=1\\033\\\\"
    "\\033[2mhttps://claude.ai/oauth/auth'\nsleep 0.05\n"
    "printf 'orize?state=1\\033[22m\\033]8;;\\007\\r\\n'\nsleep 0.05\n"
    "echo 'or https://claude.com/later'\n";

} // namespace

class SignInFlowTest : public QObject {
    Q_OBJECT

private slots:
    // Without the default folder, an empty name starts nothing; a name starts Claude Code,
    // here one that cannot be run.
    void emptyNameAndLaunchFailure() {
        SignInHarness harness;
        harness.claude = harness.stores.home.writeFile(QStringLiteral("claude"), "not a program");
        const auto flow = harness.makeNamedFlow(QString());
        flow->start();
        QCOMPARE(flow->phase(), Phase::naming());
        QVERIFY(!flow->session());
        flow->setName(QStringLiteral("work"));
        SignInHarness::settle(*flow);
        flow->start();
        QCOMPARE(flow->phase(), Phase::failed(SignInFlow::couldNotStartMessage));
    }

    void loginEndings_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<Phase>("ending");
        const QString unfinished = SignInFlow::unfinishedMessage;
        // Waits for a code and signs in as whatever the code says.
        QTest::newRow("code") << printsAddress + "printf 'Paste code here > '\nread code\n" +
                                     SignInHarness::signInLines(".claude-work/.claude.json",
                                                                "$code")
                              << Phase::done("code@example.com");
        QTest::newRow("failure with Claude Code's last line")
            << printsAddress +
                   "echo 'Error: bad code'\nprintf '\\033[2K  \\r\\nPaste code here > '\n"
                   "exit 1"
            << Phase::failed(unfinished + QStringLiteral(" Claude Code said: Error: bad code"));
        QTest::newRow("failure without a line")
            << QByteArray("printf '\\033[0m\\r\\n'\nexit 3") << Phase::failed(unfinished);
        QTest::newRow("exit 0 without an e-mail")
            << QByteArray("exit 0") << Phase::failed(unfinished);
    }
    void loginEndings() {
        QFETCH(QByteArray, script);
        QFETCH(Phase, ending);
        SignInHarness harness;
        harness.writeClaude(script);
        const auto flow = harness.makeNamedFlow(QStringLiteral("work"));
        QSignalSpy refreshes(harness.store.get(), &Store::refreshingChanged);
        SignInHarness::settle(*flow);
        flow->start();
        QCOMPARE(flow->phase(), Phase::waiting());

        if (script.contains("read code")) {
            const QString address = QStringLiteral("https://claude.ai/oauth/authorize?state=1");
            QTRY_COMPARE(flow->signInURL(), std::optional(address));
            flow->openSignInPage();
            QCOMPARE(harness.opened, QList<QUrl>{QUrl(address)});
            flow->setCode(QStringLiteral(" code@example.com\n"));
            flow->submitCode();
        }
        QTRY_COMPARE(flow->phase(), ending);
        QCOMPARE(refreshes.isEmpty(), ending.kind() == Phase::Kind::failed);
        QCOMPARE(harness.stores.fileSystem.callsOnInterfaceThread(), 0);
    }

    void earlySuccessWhileAdding() {
        SignInHarness harness;
        harness.writeClaude(
            SignInHarness::signInLines(".claude-work/.claude.json", "early@example.com") +
            "exec sleep 30");
        const auto flow = harness.makeNamedFlow(QStringLiteral("work"));
        QSignalSpy refreshes(harness.store.get(), &Store::refreshingChanged);
        // Asked for before the name's verdict has come, the sign-in starts when it comes.
        flow->start();
        QTRY_COMPARE(flow->phase(), Phase::done(QStringLiteral("early@example.com")));
        QVERIFY(!refreshes.isEmpty());
        QTRY_VERIFY(harness.childHasEnded());
        // The exit, after success was declared, changes nothing.
        QVERIFY(holdsThroughout(100, [&] {
            return flow->phase() == Phase::done(QStringLiteral("early@example.com"));
        }));
    }

    void earlySuccessBelongsToItsAttempt() {
        SignInHarness harness;
        harness.successDelay = std::chrono::milliseconds(600);
        // The first run signs in, then fails before its success is due; the second only waits.
        harness.writeClaude("[ -e \"$HOME_DIR/ran\" ] && exec sleep 30\ntouch \"$HOME_DIR/ran\"\n" +
                            SignInHarness::signInLines(".claude-one/.claude.json", "a@b.c") +
                            "sleep 0.1\nexit 1");
        const auto flow = harness.makeNamedFlow(QStringLiteral("one"));
        flow->start();
        QTRY_COMPARE(flow->phase().kind(), Phase::Kind::failed);
        flow->retry();
        flow->setName(QStringLiteral("two"));
        flow->start();
        QTRY_COMPARE(flow->phase(), Phase::waiting());
        // Past the moment the first attempt's success was due.
        QVERIFY(holdsThroughout(1000, [&] { return flow->phase() == Phase::waiting(); }));
    }

    void signingInAgainWaitsForTheExit() {
        SignInHarness harness;
        const Account account =
            harness.account(QStringLiteral(".claude-work"), QStringLiteral("old@example.com"));
        harness.writeClaude("read code\n" +
                            SignInHarness::signInLines(".claude-work/.claude.json", "$code"));
        const auto flow = harness.makeFlow(account);
        QCOMPARE(flow->email(), QStringLiteral("old@example.com"));
        flow->start();
        // Far longer than a poll and the delay after it.
        QVERIFY(holdsThroughout(400, [&] { return flow->phase() == Phase::waiting(); }));
        flow->setCode(QStringLiteral("new@example.com"));
        flow->submitCode();
        QTRY_COMPARE(flow->phase(), Phase::done(QStringLiteral("new@example.com")));
    }

    // As when its window closes.
    void destroyedWhileWaiting() {
        SignInHarness harness;
        harness.writeClaude("echo https://claude.ai/a\nexec sleep 30");
        auto flow = harness.makeNamedFlow(QStringLiteral("work"));
        flow->start();
        QTRY_VERIFY(flow->signInURL());
        flow.reset();
        QTRY_VERIFY(harness.childHasEnded());
    }
};

QTEST_MAIN(SignInFlowTest)
#include "SignInFlowTest.moc"
