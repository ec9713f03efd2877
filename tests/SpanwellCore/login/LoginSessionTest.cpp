#include "login/LoginSession.h"
#include "accounts/ClaudeCLI.h"
#include "support/Holds.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QFileInfo>
#include <QScopeGuard>
#include <QTest>

#include <chrono>
#include <thread>

#include <signal.h>

using Text = std::optional<QString>;
using StartResult = std::optional<LoginSession::StartError>;
Q_DECLARE_METATYPE(Text)

using namespace std::chrono_literals;

namespace {

// What a session's handlers were given.
struct Seen {
    QStringList outputs;
    QList<int> exits;
    // The session's text and state when the exit handler ran, while the session still lived.
    Text textAtExit;
    bool runningAtExit = false;
    bool onStartingThread = false;
};

// A session on a folder of a throw-away home, run with a stand-in `claude` script. The handlers
// share what they record with the run, so a test that stops early leaves nothing dangling for
// a child still running.
class Run {
public:
    explicit Run(const QString& folderName = QStringLiteral(".claude-work"), bool isDefault = false,
                 const Text& email = std::nullopt)
        : session(LoginSession::create(home.pathOf(folderName), isDefault, email)) {}

    QString claude(const QByteArray& body) const {
        return home.writeExecutable(QStringLiteral("bin/claude"), StandIn::script(body + '\n'));
    }
    // A path below the home folder, quoted for the script.
    QByteArray quoted(const char* name) const {
        return '\'' + home.pathOf(QLatin1String(name)).toUtf8() + '\'';
    }

    // `firstOutputDelay` makes an owner slow to take the first output while the child goes on.
    StartResult start(const Text& claudePath, std::chrono::milliseconds firstOutputDelay = 0ms) {
        const auto note = [shared = record, starter = std::this_thread::get_id()](auto change) {
            const std::lock_guard guard(shared->lock);
            change(shared->seen);
            shared->seen.onStartingThread |= std::this_thread::get_id() == starter;
        };
        return session->start(
            claudePath,
            [note, firstOutputDelay](const QString& wholeText) {
                bool first = false;
                note([&](Seen& seen) { first = seen.outputs.isEmpty(); });
                if (first)
                    std::this_thread::sleep_for(firstOutputDelay);
                note([&](Seen& seen) { seen.outputs.append(wholeText); });
            },
            [note, weakSession = std::weak_ptr<LoginSession>(session)](int status) {
                const std::shared_ptr<LoginSession> alive = weakSession.lock();
                note([&](Seen& seen) {
                    seen.exits.append(status);
                    seen.textAtExit = alive ? Text(alive->text()) : Text();
                    seen.runningAtExit = alive && alive->isRunning();
                });
            });
    }
    Seen seen() const {
        const std::lock_guard guard(record->lock);
        return record->seen;
    }

    TemporaryHome home;
    std::shared_ptr<LoginSession> session;

private:
    struct Record {
        std::mutex lock;
        Seen seen;
    };
    std::shared_ptr<Record> record = std::make_shared<Record>();
};

} // namespace

class LoginSessionTest : public QObject {
    Q_OBJECT

private slots:
    // The child takes two codes: a blank one is not sent, the others go trimmed.
    void childGetsItsCommandLineEnvironmentAndCodes_data() {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<bool>("isDefault");
        QTest::addColumn<Text>("email");
        QTest::addColumn<QStringList>("arguments");
        const QStringList login{"auth", "login", "--claudeai"};
        QTest::newRow("new nested folder with an e-mail")
            << "nested/.claude-work" << false << Text(" me@example.com ")
            << login + QStringList{"--email", "me@example.com"};
        QTest::newRow("bare name") << ".claude-work" << false << Text("me") << login;
        QTest::newRow("default folder") << ".claude" << true << Text() << login;
    }
    void childGetsItsCommandLineEnvironmentAndCodes() {
        QFETCH(QString, folderName);
        QFETCH(bool, isDefault);
        QFETCH(Text, email);
        QFETCH(QStringList, arguments);
        Run run(folderName, isDefault, email);
        const QString records = run.home.makeFolder(QStringLiteral("records"));
        const QString claude =
            run.claude(StandIn::recordingLines(records) +
                       "for turn in 1 2; do IFS= read -r code; printf '%s\\n' \"$code\" >> " +
                       run.quoted("codes") + "; done");
        QCOMPARE(run.start(claude), StartResult());
        for (const char* code : {"   \n", "  first-code \n", "second"})
            run.session->send(QString::fromLatin1(code));
        QTRY_COMPARE(run.seen().exits, QList<int>{0});

        QCOMPARE(readFile(run.home.pathOf(QStringLiteral("codes"))), "first-code\nsecond\n");
        QCOMPARE(StandIn::recordedArguments(records), arguments);
        const QString folder = run.session->configDir();
        QStringList expected =
            ClaudeCLI::environment(claude, isDefault ? Text() : Text(folder)).toStringList();
        expected.sort();
        QCOMPARE(StandIn::recordedEnvironment(records), expected);
        // A new folder is made before Claude Code runs; the default one is Claude Code's own.
        QCOMPARE(QFileInfo(folder).isDir(), !isDefault);

        // An ended session takes no second start, and a late cancel reports no second exit.
        QCOMPARE(run.start(claude), StartResult(LoginSession::StartError::couldNotRun));
        run.session->cancel();
        QVERIFY(holdsThroughout(100, [&] { return run.seen().exits == QList<int>{0}; }));
    }

    void startFailures() {
        Run missing;
        QCOMPARE(missing.start(std::nullopt), StartResult(LoginSession::StartError::noClaudeCode));
        QVERIFY(!QFileInfo::exists(missing.session->configDir()));
        Run plain;
        const QString notExecutable = plain.home.writeFile(QStringLiteral("plain"), "exit 0\n");
        QCOMPARE(plain.start(notExecutable), StartResult(LoginSession::StartError::couldNotRun));
        QVERIFY(QFileInfo(plain.session->configDir()).isDir() && !plain.session->isRunning());
    }

    // A cancelled sign-in takes away the folder it made, unless something was written there.
    void cancelRemovesTheEmptyFolderItMade_data() {
        QTest::addColumn<bool>("there");
        QTest::addColumn<QByteArray>("writes");
        QTest::newRow("made, nothing written") << false << QByteArray();
        QTest::newRow("made, a file written")
            << false << QByteArray("touch \"$CLAUDE_CONFIG_DIR/x\"");
        QTest::newRow("there before") << true << QByteArray();
    }
    void cancelRemovesTheEmptyFolderItMade() {
        QFETCH(bool, there);
        QFETCH(QByteArray, writes);
        Run run;
        if (there)
            run.home.makeFolder(QStringLiteral(".claude-work"));
        QCOMPARE(run.start(run.claude(writes + "\nprintf ready\nexec sleep 10")), StartResult());
        QTRY_COMPARE(run.seen().outputs, QStringList{"ready"});
        run.session->cancel();
        QTRY_COMPARE(run.seen().exits.size(), 1);
        QCOMPARE(QFileInfo::exists(run.session->configDir()), there || !writes.isEmpty());
    }

    // The only run of the suite that waits out this helper's termination grace. Standard error
    // shares the output with standard output, in arrival order, and the owner gets the whole
    // text each time.
    void cancelAsksThenKills() {
        // Were a code written to a closed input to raise SIGPIPE, this default would end the test.
        const auto previous = ::signal(SIGPIPE, SIG_DFL);
        Run run;
        const auto restore = qScopeGuard([&] {
            if (run.session)
                run.session->cancel();
            ::signal(SIGPIPE, previous);
        });
        QCOMPARE(run.start(run.claude("exec 0<&-\ntrap 'printf asked >&2' TERM\nprintf ready\n"
                                      "while :; do sleep 0.05; done")),
                 StartResult());
        QTRY_COMPARE(run.seen().outputs, QStringList{"ready"});
        run.session->send(QStringLiteral("code"));
        QVERIFY(run.session->isRunning());
        run.session->cancel();
        QTRY_COMPARE(run.seen().outputs.last(), QStringLiteral("readyasked"));
        // The window that owned it is gone; the kill must still come, and still be told.
        run.session.reset();
        QCOMPARE(run.seen().exits, QList<int>());
        QTRY_COMPARE_WITH_TIMEOUT(run.seen().exits, QList<int>{SIGKILL}, 3000);
    }

    // The child floods its output, far past what is kept, and exits while the owner is still
    // busy with the first piece, leaving a character unfinished; a grandchild holds the output
    // open past the exit and writes to it once the child is gone.
    void lastOutputComesBeforeExitDespiteSlowOwnerAndGrandchild() {
        Run run;
        const auto stopGrandchild = qScopeGuard([&] { StandIn::endDescendant(run.home.path()); });
        QCOMPARE(run.start(run.claude("(until [ -e " + run.quoted("go") +
                                      " ]; do sleep 0.02; done; printf later; touch " +
                                      run.quoted("wrote") + "; exec sleep 10) &\nprintf $! > " +
                                      run.quoted("descendant") +
                                      "\nhead -c 700000 /dev/zero | tr '\\0' x\n"
                                      "printf '\\nSigned in as me@example.com\\342\\224'\nexit 3"),
                           300ms),
                 StartResult());
        QTRY_COMPARE_WITH_TIMEOUT(run.seen().exits, QList<int>{3}, 5000);
        const Seen seen = run.seen();
        const QString lastWords = seen.textAtExit.value_or(QString());
        QCOMPARE(lastWords.size(), 2 * CollectedOutput::defaultKeptLength + 3);
        QVERIFY(lastWords.endsWith("xxx\nSigned in as me@example.com" +
                                   QString(2, QChar::ReplacementCharacter)));
        QCOMPARE(seen.outputs.last(), lastWords);
        QVERIFY(!seen.runningAtExit && !seen.onStartingThread);

        // What the grandchild writes later is taken, without killing or blocking it, and dropped.
        run.home.writeFile(QStringLiteral("go"), "");
        QTRY_VERIFY(QFileInfo::exists(run.home.pathOf(QStringLiteral("wrote"))));
        QCOMPARE(run.session->text(), lastWords);
    }
};

QTEST_GUILESS_MAIN(LoginSessionTest)
#include "LoginSessionTest.moc"
