#include "accounts/AccountFolder.h"
#include "support/TemporaryHome.h"

#include <QTest>

using Check = AccountFolder::Check;

class AccountFolderTest : public QObject {
    Q_OBJECT

private slots:
    // What is left of the typed name, and the message for a name that is refused.
    void typedNamesAreNormalizedAndChecked_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        const QString a24(24, QLatin1Char('a'));
        QTest::newRow("spaces") << "  Client  A "
                                << "client-a" << QString();
        QTest::newRow("punctuation") << "my_project.b\t2"
                                     << "myprojectb2" << QString();
        QTest::newRow("accents") << "Café Team"
                                 << "caf-team" << QString();
        QTest::newRow("other digits") << "٣x"
                                      << "x" << QString();
        QTest::newRow("nothing left") << "-!-"
                                      << ""
                                      << "Type a short name, like work or personal.";
        QTest::newRow("24 characters") << a24 << a24 << QString();
        QTest::newRow("25 characters") << a24 + "a" << a24 + "a"
                                       << "Use 24 characters or fewer.";
        QTest::newRow("24 once shortened") << "aaaaaaaaaa!!!!!!!!!!bbbbbbbbbb"
                                           << "aaaaaaaaaabbbbbbbbbb" << QString();
    }
    void typedNamesAreNormalizedAndChecked() {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(QString, message);
        TemporaryHome home;
        QCOMPARE(AccountFolder::normalized(typed), name);
        QCOMPARE(AccountFolder::check(typed, home.path(), FileSystem::local()),
                 message.isEmpty() ? Check::ok(home.pathOf(".claude-" + name), false)
                                   : Check::invalid(message));
    }

    void existingFoldersAreJudged() {
        TemporaryHome home;
        const auto check = [&home](const QString& typed) {
            return AccountFolder::check(typed, home.path(), FileSystem::local());
        };
        const Check free = Check::ok(home.makeFolder(QStringLiteral(".claude-work")), false);
        QCOMPARE(check(QStringLiteral("work")), free);
        home.addAccount(QStringLiteral(".claude-work"), QString());
        QCOMPARE(check(QStringLiteral("work")), free);
        home.addAccount(QStringLiteral(".claude-work"), QStringLiteral("w@example.com"));
        QCOMPARE(check(QStringLiteral("Work")), Check::taken(QStringLiteral("w@example.com")));
        home.writeFile(QStringLiteral(".claude-file"), "x");
        QCOMPARE(check(QStringLiteral("file")),
                 Check::invalid(
                     QStringLiteral("Something that is not a folder already uses that name.")));
    }

    void defaultFolderIsFreeWithoutAnAccountBesideIt() {
        TemporaryHome home;
        home.writeFile(QStringLiteral(".claude/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":"inside@example.com"}})");
        QVERIFY(AccountFolder::defaultIsFree(home.path(), FileSystem::local()));
        home.addAccount(QStringLiteral(".claude"), QStringLiteral("me@example.com"));
        QVERIFY(!AccountFolder::defaultIsFree(home.path(), FileSystem::local()));
    }

    void commandLines_data() {
        QTest::addColumn<QString>("configDir");
        QTest::addColumn<bool>("isDefault");
        QTest::addColumn<QString>("command");
        QTest::newRow("in the home folder")
            << "/Users/me/my work" << false << "CLAUDE_CONFIG_DIR=~/my work claude";
        QTest::newRow("elsewhere")
            << "/Volumes/x/.claude-a" << false << "CLAUDE_CONFIG_DIR=/Volumes/x/.claude-a claude";
        QTest::newRow("the default folder") << "/Users/me/.claude" << true << "claude";
        QTest::newRow("a longer name beside it")
            << "/Users/meX" << false << "CLAUDE_CONFIG_DIR=/Users/meX claude";
    }
    void commandLines() {
        QFETCH(QString, configDir);
        QFETCH(bool, isDefault);
        QFETCH(QString, command);
        QCOMPARE(AccountFolder::command(configDir, isDefault, QStringLiteral("/Users/me")),
                 command);
    }
};

QTEST_GUILESS_MAIN(AccountFolderTest)
#include "AccountFolderTest.moc"
