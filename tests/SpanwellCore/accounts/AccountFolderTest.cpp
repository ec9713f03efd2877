#include "accounts/AccountFolder.h"
#include "support/TemporaryHome.h"

#include <QTest>

using Check = AccountFolder::Check;

class AccountFolderTest : public QObject {
    Q_OBJECT

private slots:
    // What is left of the typed name, and the message for a name that is refused.
    void typedNamesAreNormalizedAndChecked() {
        const QString a24(24, QLatin1Char('a'));
        const char* shortName = "Type a short name, like work or personal.";
        const std::tuple<QString, QString, const char*> rows[] = {
            {"  Client  A ", "client-a", nullptr},
            {"my_project.b\t2", "myprojectb2", nullptr},
            {"Café Team", "caf-team", nullptr},
            {"٣x", "x", nullptr},
            {"a - - b", "a-b", nullptr},
            {"-!-", "", shortName},
            {a24, a24, nullptr},
            {a24 + "a", a24 + "a", "Use 24 characters or fewer."},
            {"aaaaaaaaaa!!!!!!!!!!bbbbbbbbbb", "aaaaaaaaaabbbbbbbbbb", nullptr}};
        TemporaryHome home;
        for (const auto& [typed, name, message] : rows) {
            QCOMPARE(AccountFolder::normalized(typed), name);
            QCOMPARE(AccountFolder::check(typed, home.path(), FileSystem::local()),
                     message ? Check::invalid(message)
                             : Check::ok(home.pathOf(".claude-" + name), false));
        }
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
    }

    void commandLines() {
        const std::tuple<const char*, bool, const char*> rows[] = {
            {"/Users/me/my work", false, "CLAUDE_CONFIG_DIR=~/my work claude"},
            {"/Volumes/x/.claude-a", false, "CLAUDE_CONFIG_DIR=/Volumes/x/.claude-a claude"},
            {"/Users/me/.claude", true, "claude"},
            {"/Users/meX", false, "CLAUDE_CONFIG_DIR=/Users/meX claude"}};
        for (const auto& [configDir, isDefault, command] : rows)
            QCOMPARE(AccountFolder::command(configDir, isDefault, QStringLiteral("/Users/me")),
                     QString(command));
    }
};

QTEST_GUILESS_MAIN(AccountFolderTest)
#include "AccountFolderTest.moc"
