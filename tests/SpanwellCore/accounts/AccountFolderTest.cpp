#include "accounts/AccountFolder.h"
#include "support/TemporaryHome.h"
#include "support/TestRegistry.h"

#include <QTest>

using Check = AccountFolder::Check;

class AccountFolderTest : public QObject {
    Q_OBJECT

private slots:
    void typedNamesAreNormalized_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::newRow("capitals") << "Work"
                                  << "work";
        QTest::newRow("space") << "Work Stuff"
                               << "work-stuff";
        QTest::newRow("spaces around") << "  Client  A "
                                       << "client-a";
        QTest::newRow("punctuation dropped") << "my_project.b2"
                                             << "myprojectb2";
        QTest::newRow("hyphens only") << "---"
                                      << "";
        QTest::newRow("exclamations") << "!!!"
                                      << "";
        QTest::newRow("accent dropped") << "Café Team"
                                        << "caf-team";
        QTest::newRow("tab dropped") << "a\tb"
                                     << "ab";
        QTest::newRow("other digits dropped") << "٣x"
                                              << "x";
        QTest::newRow("hyphen runs") << "a - - b"
                                     << "a-b";
    }
    void typedNamesAreNormalized() {
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QCOMPARE(AccountFolder::normalized(typed), name);
        QCOMPARE(AccountFolder::path(typed, QStringLiteral("/Users/me")),
                 QStringLiteral("/Users/me/.claude-") + name);
    }

    void namesAreChecked_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        const QString shortName = QStringLiteral("Type a short name, like work or personal.");
        const QString tooLong = QStringLiteral("Use 24 characters or fewer.");
        QTest::newRow("empty") << "" << shortName;
        QTest::newRow("nothing usable") << "!!!" << shortName;
        QTest::newRow("24 characters") << QString(24, QLatin1Char('a')) << QString();
        QTest::newRow("25 characters") << QString(25, QLatin1Char('a')) << tooLong;
        QTest::newRow("30 typed, 20 kept") << "aaaaaaaaaa!!!!!!!!!!bbbbbbbbbb" << QString();
    }
    void namesAreChecked() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        TemporaryHome home;
        const Check check = AccountFolder::check(typed, home.path(), FileSystem::local());
        if (message.isEmpty())
            QCOMPARE(check, Check::ok(AccountFolder::path(typed, home.path()), false));
        else
            QCOMPARE(check, Check::invalid(message));
    }

    void existingFoldersAreJudged() {
        TemporaryHome home;
        const QString work = home.pathOf(QStringLiteral(".claude-work"));
        QCOMPARE(AccountFolder::check(QStringLiteral("Work"), home.path(), FileSystem::local()),
                 Check::ok(work, false));

        home.makeFolder(QStringLiteral(".claude-work"));
        QCOMPARE(AccountFolder::check(QStringLiteral("work"), home.path(), FileSystem::local()),
                 Check::ok(work, false));

        home.writeFile(QStringLiteral(".claude-work/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":""}})");
        QCOMPARE(AccountFolder::check(QStringLiteral("work"), home.path(), FileSystem::local()),
                 Check::ok(work, false));

        home.addAccount(QStringLiteral(".claude-work"), QStringLiteral("w@example.com"));
        QCOMPARE(AccountFolder::check(QStringLiteral("work"), home.path(), FileSystem::local()),
                 Check::taken(QStringLiteral("w@example.com")));

        home.writeFile(QStringLiteral(".claude-file"), "x");
        QCOMPARE(AccountFolder::check(QStringLiteral("file"), home.path(), FileSystem::local()),
                 Check::invalid(
                     QStringLiteral("Something that is not a folder already uses that name.")));
    }

    void signedInEmailNeedsANonEmptyAddress() {
        TemporaryHome home;
        const QString folder = home.makeFolder(QStringLiteral(".claude-a"));
        QCOMPARE(AccountFolder::signedInEmail(folder, false, home.path(), FileSystem::local()),
                 std::nullopt);
        home.writeFile(QStringLiteral(".claude-a/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":""}})");
        QCOMPARE(AccountFolder::signedInEmail(folder, false, home.path(), FileSystem::local()),
                 std::nullopt);
        home.addAccount(QStringLiteral(".claude-a"), QStringLiteral("a@example.com"));
        QCOMPARE(AccountFolder::signedInEmail(folder, false, home.path(), FileSystem::local()),
                 QStringLiteral("a@example.com"));
        // The file is all that matters, not the folder.
        QCOMPARE(AccountFolder::signedInEmail(home.pathOf(QStringLiteral(".claude-missing")), false,
                                              home.path(), FileSystem::local()),
                 std::nullopt);
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
            << "/Users/me/.claude-work" << false << "CLAUDE_CONFIG_DIR=~/.claude-work claude";
        QTest::newRow("outside home")
            << "/Volumes/x/.claude-a" << false << "CLAUDE_CONFIG_DIR=/Volumes/x/.claude-a claude";
        QTest::newRow("default") << "/Users/me/.claude" << true << "claude";
        QTest::newRow("home with a suffix")
            << "/Users/meX" << false << "CLAUDE_CONFIG_DIR=/Users/meX claude";
        QTest::newRow("spaces not quoted")
            << "/Users/me/my folder" << false << "CLAUDE_CONFIG_DIR=~/my folder claude";
    }
    void commandLines() {
        QFETCH(QString, configDir);
        QFETCH(bool, isDefault);
        QFETCH(QString, command);
        QCOMPARE(AccountFolder::command(configDir, isDefault, QStringLiteral("/Users/me")),
                 command);
    }
};

SPANWELL_TEST(AccountFolderTest)
#include "AccountFolderTest.moc"
