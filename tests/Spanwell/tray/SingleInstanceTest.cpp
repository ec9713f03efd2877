#include "tray/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>
#include <QUuid>

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    // A copy that crashed leaves its lock file and its socket behind; the next start takes
    // them over, and a later one asks it to show its panel.
    void takesOverWhatACrashedCopyLeft() {
        const QString name =
            QStringLiteral("spanwell-test-") + QUuid::createUuid().toString(QUuid::Id128);
        // No process has the number in the lock.
        QFile lock(QDir::tempPath() + QLatin1Char('/') + name + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::WriteOnly));
        lock.write("2147483647\nspanwell\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        lock.close();
        QFile socket(QDir::tempPath() + QLatin1Char('/') + name);
        QVERIFY(socket.open(QIODevice::WriteOnly));
        socket.close();

        SingleInstance first(name);
        QCOMPARE(first.claim(), SingleInstance::Claim::first);
        QSignalSpy shown(&first, &SingleInstance::showRequested);
        QCOMPARE(SingleInstance(name).claim(), SingleInstance::Claim::forwarded);
        QVERIFY(shown.wait(3000));
        QCOMPARE(shown.size(), 1);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
