#include "tray/AutostartEntry.h"
#include "support/TemporaryHome.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class AutostartEntryTest : public QObject {
    Q_OBJECT

private slots:
    void registrationIsTheFile() {
        QTemporaryDir config;
        // The autostart folder does not exist until the first registration; the program's path
        // holds a space, a field-code sign and characters a desktop entry escapes.
        const AutostartEntry entry(config.filePath(QStringLiteral("autostart")),
                                   QStringLiteral("/opt/My 100%/a\"b$c\\d"));
        QVERIFY(!entry.isRegistered() && entry.unregister());
        QVERIFY(entry.registerEntry() && entry.isRegistered());
        const QByteArray contents =
            readFile(config.filePath(QStringLiteral("autostart/spanwell.desktop")));
        QVERIFY(contents.startsWith("[Desktop Entry]\nType=Application\n"));
        QVERIFY2(contents.contains("\nExec=\"/opt/My 100%%/a\\\\\"b\\\\$c\\\\\\\\d\"\n"),
                 contents.constData());
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
        QVERIFY(entry.registerEntry());
        QCOMPARE(entry.startedProgram(readFile(entry.path())),
                 byName ? home.pathOf("bin/spanwell") : program);
    }

    // At start, an entry that names a program no longer there is written for this one; one that
    // names a program that is there stays as it is.
    void repairsAnEntryForAProgramGone() {
        TemporaryHome home;
        const QString program = home.writeExecutable("bin/spanwell", "exit 0\n");
        const AutostartEntry entry(home.pathOf("autostart"), program, {});
        QVERIFY(!entry.repair());
        const QString stale = AutostartEntry::contents("/gone/My 100%/spanwell");
        for (const QString& text : {stale, QString(AutostartEntry::contents(program))}) {
            home.writeFile("autostart/spanwell.desktop", text.toUtf8());
            QCOMPARE(entry.repair(), text == stale);
            QCOMPARE(entry.startedProgram(readFile(entry.path())), program);
        }
    }
};

QTEST_MAIN(AutostartEntryTest)
#include "AutostartEntryTest.moc"
