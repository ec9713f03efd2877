#include "tray/SingleInstance.h"
#include "support/ScopedEnvironment.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    // A copy that crashed leaves its lock file, perhaps still empty, and its socket behind; the
    // next start takes them over, and a later one asks it to show its panel.
    void takesOverWhatACrashedCopyLeft_data() {
        QTest::addColumn<QByteArray>("lock");
        QTest::newRow("process gone")
            << "2147483647\nspanwell\n" + QSysInfo::machineHostName().toUtf8() + "\n";
        QTest::newRow("empty") << QByteArray();
    }
    void takesOverWhatACrashedCopyLeft() {
        QFETCH(QByteArray, lock);
        QTemporaryDir folder;
        const QString path = folder.filePath("spanwell");
        QFile file(path + ".lock");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(lock) == lock.size() &&
                file.flush() &&
                file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                 QFileDevice::FileModificationTime));
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));

        SingleInstance first(path);
        QCOMPARE(first.claim(), SingleInstance::Claim::first);
        QSignalSpy shown(&first, &SingleInstance::showRequested);
        QCOMPARE(SingleInstance(path).claim(), SingleInstance::Claim::forwarded);
        QVERIFY(shown.wait(3000));
        QCOMPARE(shown.size(), 1);
        QSignalSpy adding(&first, &SingleInstance::addAccountRequested);
        QCOMPARE(SingleInstance(path).claim(SingleInstance::Request::addAccount),
                 SingleInstance::Claim::forwarded);
        QVERIFY(adding.wait(3000) && shown.size() == 1);
    }

    // A folder others may open, or another user's lock or socket, is never used: no start is
    // forwarded and no refresh asked there, whatever would answer.
    void refusesWhatIsNotTheUsersAlone_data() {
        QTest::addColumn<QString>("squatted");
        QTest::newRow("folder open to others") << "folder";
        QTest::newRow("another user's lock") << ".lock";
        QTest::newRow("another user's socket") << "";
    }
    void refusesWhatIsNotTheUsersAlone() {
        QFETCH(QString, squatted);
        QTemporaryDir folder;
        const QString path = folder.filePath("spanwell");
        QLocalServer standIn;
        QLockFile held(path + ".lock");
        QVERIFY(standIn.listen(path) && held.tryLock(0));
        if (squatted == "folder")
            QVERIFY(QFile::setPermissions(folder.path(), QFile::permissions(folder.path()) |
                                                             QFile::ReadOther | QFile::ExeOther));
        else if (::getuid() != 0)
            QSKIP("Only root can give a file to another user.");
        else
            QCOMPARE(::chown(QFile::encodeName(path + squatted).constData(), 65534, 65534), 0);

        SingleInstance instance(path);
        QCOMPARE(instance.claim(), SingleInstance::Claim::refused);
        QCOMPARE(SingleInstance::askToRefresh(path, 1000), SingleInstance::RefreshAnswer::refused);
        QVERIFY(!standIn.waitForNewConnection(200));
    }

    // $XDG_RUNTIME_DIR when it is the user's alone; else a folder of the user's own in the
    // temporary folder, made closed to others, which is used instead.
    void chosenFolder() {
        QTemporaryDir runtime, temporary;
        ScopedEnvironment environment;
        environment.set("XDG_RUNTIME_DIR", runtime.path().toUtf8())
            .set("TMPDIR", temporary.path().toUtf8());
        QCOMPARE(QFileInfo(SingleInstance::pathFor("/")).path(), runtime.path());
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::permissions(runtime.path()) |
                                                          QFile::ReadGroup | QFile::ExeGroup));
        QCOMPARE(SingleInstance::refusal(SingleInstance::pathFor("/")), QString());
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
