#include "tray/AutostartEntry.h"
#include "support/TemporaryHome.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class AutostartEntryTest : public QObject {
    Q_OBJECT

private slots:
    // An entry that names a program no longer there (this one's path is made up) is written
    // afresh at start; one that is not there stays away.
    void registrationIsTheFile() {
        QTemporaryDir config;
        // The autostart folder does not exist until the first registration; the program's path
        // holds a space, a field-code sign and characters a desktop entry escapes.
        const QString program = QStringLiteral("/opt/My 100%/a\"b$c\\d");
        const AutostartEntry entry(config.filePath(QStringLiteral("autostart")), program);
        QVERIFY(!entry.isRegistered() && entry.unregister() && !entry.repair());
        QVERIFY(entry.registerEntry() && entry.isRegistered());
        const QByteArray contents =
            readFile(config.filePath(QStringLiteral("autostart/spanwell.desktop")));
        QVERIFY(contents.startsWith("[Desktop Entry]\nType=Application\n"));
        QVERIFY2(contents.contains("\nExec=\"/opt/My 100%%/a\\\\\"b\\\\$c\\\\\\\\d\"\n"),
                 contents.constData());
        QCOMPARE(entry.startedProgram(contents), program);
        const std::optional<RegularFile::Written> repaired = entry.repair();
        QVERIFY(repaired && *repaired);
        QVERIFY(entry.unregister() && !entry.isRegistered());
    }

    // Started by name when the search path finds this very program first under that name (as
    // it finds the package's, here through a link), else by its path.
    void startsByNameWhereThePathFindsIt_data() {
        QTest::addColumn<QString>("searchPath");
        QTest::addColumn<bool>("byName");
        QTest::newRow("found") << "/nowhere:bin" << true;
        QTest::newRow("another found first") << "other:bin" << false;
        QTest::newRow("not on the path") << "other" << false;
    }
    void startsByNameWhereThePathFindsIt() {
        QFETCH(QString, searchPath);
        QFETCH(bool, byName);
        TemporaryHome home;
        const QString program = home.writeExecutable("lib/spanwell", "exit 0\n");
        home.writeExecutable("other/spanwell", "exit 0\n");
        home.makeFolder("bin");
        QVERIFY(QFile::link(program, home.pathOf("bin/spanwell")));
        searchPath.replace(QRegularExpression("(^|:)(?=[a-z])"), "\\1" + home.path() + '/');
        const AutostartEntry entry(home.pathOf("autostart"), program, searchPath);
        QCOMPARE(entry.command(), byName ? "spanwell" : program);
        QVERIFY(entry.registerEntry() && !entry.repair());
        QCOMPARE(entry.startedProgram(readFile(entry.path())),
                 byName ? home.pathOf("bin/spanwell") : program);
    }
};

QTEST_MAIN(AutostartEntryTest)
#include "AutostartEntryTest.moc"
