#include "accounts/Discovery.h"
#include "support/TemporaryHome.h"

#include <QFile>
#include <QTest>

namespace {

QStringList folderNames(const QList<Account>& accounts) {
    QStringList names;
    for (const Account& account : accounts)
        names.append(account.configDir.section(QLatin1Char('/'), -1));
    return names;
}

} // namespace

class DiscoveryTest : public QObject {
    Q_OBJECT

private slots:
    void foldersComeInCodePointOrder() {
        TemporaryHome home;
        // The same address in a second folder is a second account. By code points, U+FF5E comes
        // before U+1F600; by UTF-16 units, after it.
        for (const char* name : {".claude-work", ".claude", ".claude-b2", ".claude-", ".claude-Zed",
                                 ".claude-\U0001F600", ".claude-\uFF5E"})
            home.addAccount(QString::fromUtf8(name), QStringLiteral("me@example.com"));

        const QList<Account> accounts = Discovery::accounts(home.path(), FileSystem::local());
        QCOMPARE(folderNames(accounts),
                 QStringList({".claude", ".claude-", ".claude-Zed", ".claude-b2", ".claude-work",
                              ".claude-\uFF5E", ".claude-\U0001F600"}));
        QCOMPARE(accounts.first().keychainService, QStringLiteral("Claude Code-credentials"));
    }

    void onlyUsableFoldersAreListed() {
        TemporaryHome home;
        QVERIFY(Discovery::accounts(home.pathOf(QStringLiteral("missing")), FileSystem::local())
                    .isEmpty());
        home.addAccount(QStringLiteral(".claude-ok"), QStringLiteral("ok@example.com"));
        home.writeFile(QStringLiteral(".claude-notes"), "{}");
        home.makeFolder(QStringLiteral(".claude-empty"));
        home.addAccount(QStringLiteral(".claudeX"), QStringLiteral("x@example.com"));
        // The default folder's account file lies beside it, not inside.
        home.writeFile(QStringLiteral(".claude/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":"inside@example.com"}})");
        home.writeFile(QStringLiteral(".claude-bad/.claude.json"), "{not json");
        home.writeFile(QStringLiteral(".claude-top/.claude.json"),
                       R"({"emailAddress":"top@example.com"})");
        home.writeFile(QStringLiteral(".claude-number/.claude.json"),
                       R"({"oauthAccount":{"emailAddress":5}})");
        home.writeFile(QStringLiteral(".claude-account-list/.claude.json"),
                       R"({"oauthAccount":[{"emailAddress":"a@example.com"}]})");
        // Neither waits for a writer, reads without end, nor allocates for a size unchecked.
        home.makeNamedPipe(QStringLiteral(".claude-pipe/.claude.json"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"),
                            home.makeFolder(QStringLiteral(".claude-zero")) + "/.claude.json"));
        QVERIFY(QFile::resize(home.writeFile(QStringLiteral(".claude-huge/.claude.json"), {}),
                              qint64(1) << 36));
        QCOMPARE(folderNames(Discovery::accounts(home.path(), FileSystem::local())),
                 QStringList({".claude-ok"}));
    }

    void accountFieldsComeFromTheOauthAccount() {
        TemporaryHome home;
        home.writeFile(QStringLiteral(".claude-a/.claude.json"),
                       R"({"organizationName":"Top","oauthAccount":{"emailAddress":" a@x.org ",)"
                       R"("organizationName":null}})");
        const QString a = home.pathOf(QStringLiteral(".claude-a"));
        const QString b = home.addAccount(QStringLiteral(".claude-b"), QString(),
                                          QStringLiteral("Acme"), QStringLiteral("Team"));
        QCOMPARE(Discovery::accounts(home.path(), FileSystem::local()),
                 (QList<Account>{{a, Discovery::keychainService(a, false), " a@x.org ", {}, {}},
                                 {b, Discovery::keychainService(b, false), "", "Acme", "Team"}}));
    }

    // Claude Code's own names: the first 8 hexadecimal digits of the path's SHA-256, of the path
    // exactly as given.
    void keychainServiceNames() {
        QCOMPARE(Discovery::keychainService("/Users/me/.claude-work", false),
                 "Claude Code-credentials-1e91dd84");
        QCOMPARE(Discovery::keychainService("/Users/me/.claude-work/", false),
                 "Claude Code-credentials-d3ebdfac");
    }
};

QTEST_GUILESS_MAIN(DiscoveryTest)
#include "DiscoveryTest.moc"
