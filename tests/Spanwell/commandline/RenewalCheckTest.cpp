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

// Three accounts, a folder without an account file, and a credential file whose token must
// show up nowhere.
void addAccounts(const TemporaryHome& home) {
    home.addAccount(QStringLiteral(".claude"), QStringLiteral("me@example.com"));
    home.addAccount(QStringLiteral(".claude-work"), QStringLiteral("me@work.example"));
    home.addAccount(QStringLiteral(".claude-broken"), QStringLiteral("me@broken.example"));
    home.makeFolder(QStringLiteral(".claude-empty"));
    home.writeFile(QStringLiteral(".claude-work/.credentials.json"),
                   R"({"claudeAiOauth":{"accessToken":"secret-access-token"}})");
}

// What the check prints for the accounts of `addAccounts`.
const char* const report = "~/.claude ok\n~/.claude-broken FAILED\n~/.claude-work ok\n";

} // namespace

class RenewalCheckTest : public QObject {
    Q_OBJECT

private slots:
    void reportsEveryAccountInTurn_data() {
        QTest::addColumn<bool>("withAccounts");
        QTest::newRow("several accounts, one failing") << true;
        QTest::newRow("no accounts") << false;
    }
    void reportsEveryAccountInTurn() {
        QFETCH(bool, withAccounts);
        TemporaryHome home;
        if (withAccounts) {
            addAccounts(home);
            // A name that would forge a line of its own and clear the terminal.
            home.addAccount(QStringLiteral(".claude-a\nforged ok\x1b[2J"),
                            QStringLiteral("a@example.com"));
        }
        // A device, unlike a string, holds back what is not flushed, as standard output does.
        QBuffer printed;
        QVERIFY(printed.open(QIODevice::WriteOnly));
        QTextStream output(&printed);
        QList<Call> calls;

        RenewalCheck::run(
            home.path(), FileSystem::local(),
            [&](const QString& configDir, bool isDefault) {
                calls.append({configDir, isDefault, printed.data()});
                return !configDir.endsWith(QLatin1String("-broken"));
            },
            output);

        if (!withAccounts) {
            QCOMPARE(printed.data(), QByteArray());
            QVERIFY(calls.isEmpty());
            return;
        }
        const QByteArray hostile = "~/.claude-a\\nforged ok\\x1b[2J ok\n";
        QCOMPARE(printed.data(),
                 "~/.claude ok\n" + hostile + "~/.claude-broken FAILED\n~/.claude-work ok\n");
        // Each line is out before the next renewal starts.
        QCOMPARE(calls, QList<Call>({
                            {home.pathOf(QStringLiteral(".claude")), true, QByteArray()},
                            {home.pathOf(QStringLiteral(".claude-a\nforged ok\x1b[2J")), false,
                             QByteArray("~/.claude ok\n")},
                            {home.pathOf(QStringLiteral(".claude-broken")), false,
                             "~/.claude ok\n" + hostile},
                            {home.pathOf(QStringLiteral(".claude-work")), false,
                             "~/.claude ok\n" + hostile + "~/.claude-broken FAILED\n"},
                        }));
    }

    // The executable with a stand-in `claude`, with no display to connect to.
    void executableRunsTheCheck() {
        TemporaryHome home;
        addAccounts(home);
        const QString log = home.pathOf(QStringLiteral("runs.log"));
        home.writeExecutable(QStringLiteral(".local/bin/claude"),
                             StandIn::script("echo \"$(basename \"${CLAUDE_CONFIG_DIR:-default}\") "
                                             "$*\" >> '" +
                                             log.toUtf8() +
                                             "'\n"
                                             "cat /proc/$$/environ >> '" +
                                             log.toUtf8() +
                                             ".environment'\n"
                                             "case \"$CLAUDE_CONFIG_DIR\" in\n"
                                             "*-broken) exit 1 ;;\n"
                                             "esac\n"));

        const auto finished = SpanwellProcess::run({QStringLiteral("--renew-check")},
                                                   SpanwellProcess::environment(home.path()));
        QVERIFY(finished.inTime);
        QCOMPARE(finished.status, QProcess::NormalExit);
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(finished.output, QByteArray(report));
        QCOMPARE(finished.errors, QByteArray());
        QCOMPARE(QString::fromUtf8(readFile(log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({"default auth status", ".claude-broken auth status",
                              ".claude-work auth status"}));
        QVERIFY(!readFile(log).contains("secret-access-token"));
        QVERIFY(!readFile(log + QStringLiteral(".environment")).contains("secret-access-token"));
    }
};

QTEST_GUILESS_MAIN(RenewalCheckTest)
#include "RenewalCheckTest.moc"
