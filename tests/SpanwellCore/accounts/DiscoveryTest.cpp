#include "accounts/Discovery.h"
#include "support/TemporaryHome.h"

#include <QTest>

namespace {

QStringList folderNames(const QList<Account>& accounts) {
    QStringList names;
    for (const Account& account : accounts)
        names.append(account.configDir.section(QLatin1Char('/'), -1));
    return names;
}

// A home folder that cannot be listed, which a real folder cannot show to root.
class UnlistableHome final : public FileSystem {
public:
    std::optional<QStringList> entryNames(const QString&) const override { return std::nullopt; }
    bool exists(const QString& path) const override { return local().exists(path); }
    bool isFolder(const QString& path) const override { return local().isFolder(path); }
    bool isExecutableFile(const QString& path) const override {
        return local().isExecutableFile(path);
    }
    std::optional<QByteArray> contents(const QString& path) const override {
        return local().contents(path);
    }
};

} // namespace

class DiscoveryTest : public QObject {
    Q_OBJECT

private slots:
    void foldersComeInCodePointOrder() {
        TemporaryHome home;
        home.addAccount(QStringLiteral(".claude-work"), QStringLiteral("work@example.com"));
        home.addAccount(QStringLiteral(".claude"), QStringLiteral("me@example.com"));
        // The same address in a second folder is a second account.
        home.addAccount(QStringLiteral(".claude-b2"), QStringLiteral("me@example.com"));
        home.addAccount(QStringLiteral(".claude-"), QStringLiteral("bare@example.com"));
        home.addAccount(QStringLiteral(".claude-Zed"), QStringLiteral("zed@example.com"));
        // By code points, U+FF5E comes before U+1F600; by UTF-16 units, after it.
        home.addAccount(QStringLiteral(".claude-\U0001F600"), QStringLiteral("smile@example.com"));
        home.addAccount(QStringLiteral(".claude-\uFF5E"), QStringLiteral("tilde@example.com"));

        const QList<Account> accounts = Discovery::accounts(home.path(), FileSystem::local());
        QCOMPARE(folderNames(accounts),
                 QStringList({".claude", ".claude-", ".claude-Zed", ".claude-b2", ".claude-work",
                              ".claude-\uFF5E", ".claude-\U0001F600"}));
        QCOMPARE(accounts.first().configDir, home.path() + QStringLiteral("/.claude"));
        QCOMPARE(accounts.first().keychainService, QStringLiteral("Claude Code-credentials"));
        QCOMPARE(accounts.first().email, QStringLiteral("me@example.com"));
        QCOMPARE(accounts.at(4).keychainService,
                 Discovery::keychainService(home.path() + QStringLiteral("/.claude-work"), false));
    }

    void onlyUsableFoldersAreListed() {
        TemporaryHome home;
        home.addAccount(QStringLiteral(".claude-ok"), QStringLiteral("ok@example.com"));
        home.writeFile(QStringLiteral(".claude-notes"), "{}");
        home.makeFolder(QStringLiteral(".claude-empty"));
        home.addAccount(QStringLiteral(".claudeX"), QStringLiteral("x@example.com"));
        home.addAccount(QStringLiteral("claude"), QStringLiteral("plain@example.com"));
        home.writeFile(QStringLiteral(".claude-bad/.claude.json"), "{not json");
        home.writeFile(QStringLiteral(".claude-top/.claude.json"),
                       R"({"emailAddress":"top@example.com"})");
        home.writeFile(QStringLiteral(".claude-number/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":5}})");
        home.writeFile(QStringLiteral(".claude-account-list/.claude.json"),
                       R"({"oauthAccount":[{"emailAddress":"a@example.com"}]})");
        // Neither waits for a writer, reads without end, nor allocates for a size unchecked.
        home.makeNamedPipe(QStringLiteral(".claude-pipe/.claude.json"));
        home.makeLink(QStringLiteral(".claude-zero/.claude.json"), QStringLiteral("/dev/zero"));
        home.makeSparseFile(QStringLiteral(".claude-huge/.claude.json"), qint64(1) << 36);
        QCOMPARE(folderNames(Discovery::accounts(home.path(), FileSystem::local())),
                 QStringList({".claude-ok"}));
    }

    void defaultAccountFileLiesBesideTheFolder() {
        TemporaryHome home;
        home.makeFolder(QStringLiteral(".claude"));
        home.writeFile(QStringLiteral(".claude/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":"inside@example.com"}})");
        QVERIFY(Discovery::accounts(home.path(), FileSystem::local()).isEmpty());

        home.writeFile(QStringLiteral(".claude.json"),
                       R"({"oauthAccount":{"emailAddress":"beside@example.com"}})");
        const QList<Account> accounts = Discovery::accounts(home.path(), FileSystem::local());
        QCOMPARE(accounts.size(), 1);
        QCOMPARE(accounts.first().email, QStringLiteral("beside@example.com"));
    }

    void accountFieldsComeFromTheOauthAccount() {
        TemporaryHome home;
        home.writeFile(QStringLiteral(".claude-a/.claude.json"),
                       R"({"organizationName":"Top","oauthAccount":{"emailAddress":" a@x.org ",)"
                       R"("organizationName":null}})");
        home.writeFile(QStringLiteral(".claude-b/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":"b@x.org","organizationName":"Acme",)"
                       R"("planDisplayName":"Team"}})");
        home.writeFile(QStringLiteral(".claude-c/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":"","planDisplayName":7}})");
        const QList<Account> accounts = Discovery::accounts(home.path(), FileSystem::local());
        QCOMPARE(accounts.size(), 3);
        QCOMPARE(accounts[0].email, QStringLiteral(" a@x.org "));
        QCOMPARE(accounts[0].organization, std::nullopt);
        QCOMPARE(accounts[0].planDisplayName, std::nullopt);
        QCOMPARE(accounts[1].organization, QStringLiteral("Acme"));
        QCOMPARE(accounts[1].planDisplayName, QStringLiteral("Team"));
        QCOMPARE(accounts[2].email, QString());
        QCOMPARE(accounts[2].planDisplayName, std::nullopt);
    }

    void emptyOrUnlistableHomeGivesNothing() {
        TemporaryHome home;
        home.makeFolder(QStringLiteral("Documents"));
        QVERIFY(Discovery::accounts(home.path(), FileSystem::local()).isEmpty());
        QVERIFY(Discovery::accounts(home.pathOf(QStringLiteral("missing")), FileSystem::local())
                    .isEmpty());
        home.addAccount(QStringLiteral(".claude-work"), QStringLiteral("work@example.com"));
        QVERIFY(Discovery::accounts(home.path(), UnlistableHome()).isEmpty());
    }

    void keychainServiceNames_data() {
        QTest::addColumn<QString>("configDir");
        QTest::addColumn<bool>("isDefault");
        QTest::addColumn<QString>("service");
        QTest::newRow("default, whatever the path")
            << "/elsewhere" << true << "Claude Code-credentials";
        QTest::newRow("named") << "/Users/me/.claude-work" << false
                               << "Claude Code-credentials-1e91dd84";
        QTest::newRow("trailing slash")
            << "/Users/me/.claude-work/" << false << "Claude Code-credentials-d3ebdfac";
    }
    void keychainServiceNames() {
        QFETCH(QString, configDir);
        QFETCH(bool, isDefault);
        QFETCH(QString, service);
        QCOMPARE(Discovery::keychainService(configDir, isDefault), service);
    }
};

QTEST_GUILESS_MAIN(DiscoveryTest)
#include "DiscoveryTest.moc"
