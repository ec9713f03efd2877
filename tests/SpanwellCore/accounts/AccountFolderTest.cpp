#include "accounts/AccountFolder.h"
#include "support/TemporaryHome.h"

#include <QTest>

using Check = AccountFolder::Check;

class AccountFolderTest : public QObject {
    Q_OBJECT

private slots:
    // `name` is what is left of the typed name; a message marks a name that is refused.
    void typedNamesAreNormalizedAndChecked_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        const QString shortName = QStringLiteral("Type a short name, like work or personal.");
        const QString twentyFourLetters = QString(24, QLatin1Char('a'));
        const auto row = [](const char* tag, const QString& typed, const QString& name,
                            const QString& message = {}) {
            QTest::newRow(tag) << typed << name << message;
        };
        row("space", "Work Stuff", "work-stuff");
        row("spaces around", "  Client  A ", "client-a");
        row("punctuation and tab dropped", "my_project.b\t2", "myprojectb2");
        row("accent dropped", "Café Team", "caf-team");
        row("other digits dropped", "٣x", "x");
        row("hyphen runs", "a - - b", "a-b");
        row("empty", "", "", shortName);
        row("nothing usable", "-!-", "", shortName);
        row("24 characters", twentyFourLetters, twentyFourLetters);
        row("25 characters", twentyFourLetters + "a", twentyFourLetters + "a",
            QStringLiteral("Use 24 characters or fewer."));
        row("30 typed, 20 kept", "aaaaaaaaaa!!!!!!!!!!bbbbbbbbbb", "aaaaaaaaaabbbbbbbbbb");
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
        QVERIFY(AccountFolder::defaultIsFree(home.path(), FileSystem::local()));
        home.writeFile(QStringLiteral(".claude/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":"inside@example.com"}})");
        QVERIFY(AccountFolder::defaultIsFree(home.path(), FileSystem::local()));
        home.addAccount(QStringLiteral(".claude"), QStringLiteral("me@example.com"));
        QVERIFY(!AccountFolder::defaultIsFree(home.path(), FileSystem::local()));
        QCOMPARE(AccountFolder::signedInEmail(QStringLiteral("/ignored"), true, home.path(),
                                              FileSystem::local()),
                 QStringLiteral("me@example.com"));
    }

    void commandLines_data() {
        QTest::addColumn<QString>("configDir");
        QTest::addColumn<bool>("isDefault");
        QTest::addColumn<QString>("command");
        QTest::newRow("inside home")
            << "/Users/me/my work" << false << "CLAUDE_CONFIG_DIR=~/my work claude";
        QTest::newRow("outside home")
            << "/Volumes/x/.claude-a" << false << "CLAUDE_CONFIG_DIR=/Volumes/x/.claude-a claude";
        QTest::newRow("default") << "/Users/me/.claude" << true << "claude";
        QTest::newRow("home with a suffix")
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
