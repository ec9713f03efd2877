#include "model/Account.h"
#include "model/LimitReading.h"

#include <QTest>

class RecordsTest : public QObject {
    Q_OBJECT

private slots:
    void defaultFolderIsTheLastComponent_data() {
        QTest::addColumn<QString>("configDir");
        QTest::addColumn<bool>("isDefault");
        QTest::newRow("default") << "/Users/ann/.claude" << true;
        QTest::newRow("trailing slash") << "/Users/ann/.claude/" << true;
        QTest::newRow("named folder") << "/Users/ann/.claude-work" << false;
        QTest::newRow("other capitals") << "/Users/ann/.Claude" << false;
        QTest::newRow("inside the default") << "/Users/ann/.claude/local" << false;
    }
    void defaultFolderIsTheLastComponent() {
        QFETCH(QString, configDir);
        QFETCH(bool, isDefault);
        const Account account{configDir, {}, {}, {}, {}};
        QCOMPARE(account.isDefault(), isDefault);
    }

    void folderLabelShortensTheHomeFolder_data() {
        QTest::addColumn<QString>("configDir");
        QTest::addColumn<QString>("label");
        QTest::newRow("inside home") << "/Users/ann/.claude-work"
                                     << "~/.claude-work";
        QTest::newRow("home itself") << "/Users/ann"
                                     << "~";
        QTest::newRow("outside home") << "/Volumes/work/.claude"
                                      << "/Volumes/work/.claude";
    }
    void folderLabelShortensTheHomeFolder() {
        QFETCH(QString, configDir);
        QFETCH(QString, label);
        const Account account{configDir, {}, {}, {}, {}};
        QCOMPARE(account.folderLabel(QStringLiteral("/Users/ann")), label);
    }

    void readingResetsAtItsInstant_data() {
        QTest::addColumn<double>("secondsAfterReset");
        QTest::addColumn<double>("percent");
        QTest::addColumn<bool>("keepsReset");
        QTest::newRow("a second before") << -1.0 << 80.0 << true;
        QTest::newRow("at the instant") << 0.0 << 0.0 << false;
    }
    void readingResetsAtItsInstant() {
        QFETCH(double, secondsAfterReset);
        QFETCH(double, percent);
        QFETCH(bool, keepsReset);
        const Instant reset(800000000);
        const LimitReading reading{QStringLiteral("Week"), 80, reset};
        const LimitReading current = reading.current(reset + secondsAfterReset);
        QCOMPARE(current.title, QStringLiteral("Week"));
        QCOMPARE(current.percent, percent);
        QCOMPARE(current.resetsAt.has_value(), keepsReset);
    }

    void readingWithoutResetNeverResets() {
        const LimitReading reading{QStringLiteral("Session"), 100, std::nullopt};
        QCOMPARE(reading.current(Instant(1e9)), reading);
    }

    void titlesTellTheirScope_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("wholeAccount");
        QTest::addColumn<QString>("shortTitle");
        QTest::newRow("session") << "Session" << true << "Session";
        QTest::newRow("scoped") << "Week, Opus" << false << "Opus";
        QTest::newRow("lower case") << "session" << false << "session";
        QTest::newRow("two commas") << "Week, Opus, 4" << false << "Opus, 4";
        QTest::newRow("comma without space") << "Week,Opus" << false << "Week,Opus";
    }
    void titlesTellTheirScope() {
        QFETCH(QString, title);
        QFETCH(bool, wholeAccount);
        QFETCH(QString, shortTitle);
        const LimitReading reading{title, 0, std::nullopt};
        QCOMPARE(reading.coversWholeAccount(), wholeAccount);
        QCOMPARE(reading.shortTitle(), shortTitle);
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "RecordsTest.moc"
