#include "model/Account.h"
#include "model/LimitReading.h"

#include <QTest>

namespace {
Account accountIn(const char* configDir) {
    return Account{configDir, {}, {}, {}, {}};
}
} // namespace

class RecordsTest : public QObject {
    Q_OBJECT

private slots:
    void defaultFolderIsTheLastComponent() {
        const std::pair<const char*, bool> rows[] = {{"/Users/ann/.claude", true},
                                                     {"/Users/ann/.claude/", true},
                                                     {"/Users/ann/.claude-work", false},
                                                     {"/Users/ann/.Claude", false},
                                                     {"/Users/ann/.claude/local", false}};
        for (const auto& [configDir, isDefault] : rows)
            QVERIFY2(accountIn(configDir).isDefault() == isDefault, configDir);
    }

    void folderLabelShortensTheHomeFolder() {
        const std::pair<const char*, const char*> rows[] = {
            {"/Users/ann/.claude-work", "~/.claude-work"},
            {"/Users/ann", "~"},
            {"/Volumes/work/.claude", "/Volumes/work/.claude"}};
        for (const auto& [configDir, label] : rows)
            QCOMPARE(accountIn(configDir).folderLabel(QStringLiteral("/Users/ann")),
                     QString(label));
    }

    void readingResetsAtItsInstant() {
        const Instant reset(800000000);
        const LimitReading reading{QStringLiteral("Week"), 80, reset};
        QCOMPARE(reading.current(reset - 1), reading);
        QCOMPARE(reading.current(reset), (LimitReading{QStringLiteral("Week"), 0, std::nullopt}));
        const LimitReading withoutReset{QStringLiteral("Session"), 100, std::nullopt};
        QCOMPARE(withoutReset.current(Instant(1e9)), withoutReset);
    }

    // Only "Session" and "Week" cover the whole account; a scope follows the first ", ".
    void titlesTellTheirScope() {
        const std::tuple<const char*, bool, const char*> rows[] = {
            {"Session", true, "Session"},
            {"Week, Opus", false, "Opus"},
            {"session", false, "session"},
            {"Week, Opus, 4", false, "Opus, 4"},
            {"Week,Opus", false, "Week,Opus"}};
        for (const auto& [title, wholeAccount, shortTitle] : rows) {
            const LimitReading reading{title, 0, std::nullopt};
            QVERIFY2(reading.coversWholeAccount() == wholeAccount, title);
            QCOMPARE(reading.shortTitle(), QString(shortTitle));
        }
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "RecordsTest.moc"
