#include "tray/AutostartEntry.h"
#include "support/TemporaryHome.h"

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
};

QTEST_MAIN(AutostartEntryTest)
#include "AutostartEntryTest.moc"
