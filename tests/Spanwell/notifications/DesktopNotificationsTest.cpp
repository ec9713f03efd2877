#include "notifications/DesktopNotifications.h"
#include "support/Holds.h"
#include "support/TemporaryHome.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

// The desktop's notification service as the test plays it.
class StandInService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QList<QStringList> calls;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        calls.append(QStringList{summary, body} + actions);
        return 40 + uint(calls.size());
    }

signals:
    void ActionInvoked(uint id, const QString& action);
};

class DesktopNotificationsTest : public QObject {
    Q_OBJECT

private slots:
    void sendsToTheServiceOrElseFallsBack() {
        // A bus of the test's own that starts no service by itself, so that no notification
        // daemon installed on the machine answers in place of the stand-in. Its socket goes
        // with the folder, however the test ends.
        TemporaryHome folder;
        const QString config = folder.writeFile(
            "bus.conf",
            "<busconfig><type>session</type><listen>unix:dir=" + folder.path().toUtf8() +
                "</listen><policy context=\"default\"><allow send_destination=\"*\"/>"
                "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>");
        QProcess daemon;
        daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address=1"});
        QVERIFY(daemon.waitForReadyRead(10000));
        const QString bus = QString::fromUtf8(daemon.readLine()).trimmed();

        // Texts from outside, which most services would read as markup.
        const Notification sample{"<b>Week</b> limit", "<a href=\"https://x.example\">R&D</a>"};
        QList<Notification> fallen;
        const auto fallback = [&fallen](const Notification& shown) { fallen.append(shown); };
        {
            DesktopNotifications alone(fallback, bus);
            alone.send(sample);
            QTRY_COMPARE(fallen, QList<Notification>{sample});
        }

        StandInService standIn;
        QDBusConnection serving = QDBusConnection::connectToBus(bus, "stand-in");
        QVERIFY(serving.registerObject("/org/freedesktop/Notifications", &standIn,
                                       QDBusConnection::ExportAllContents));
        QVERIFY(serving.registerService("org.freedesktop.Notifications"));
        DesktopNotifications notifications(fallback, bus);
        QSignalSpy opened(&notifications, &DesktopNotifications::opened);
        notifications.send(sample);
        QTRY_COMPARE(standIn.calls.size(), 1);
        QCOMPARE(standIn.calls[0].mid(0, 3),
                 (QStringList{"&lt;b&gt;Week&lt;/b&gt; limit",
                              "&lt;a href=\"https://x.example\"&gt;R&amp;D&lt;/a&gt;", "default"}));
        // Only the action of its own notification, which the service named 41, opens the panel.
        // The service's answer to the call travels before any signal it sends later.
        emit standIn.ActionInvoked(7, "default");
        emit standIn.ActionInvoked(41, "default");
        QTRY_COMPARE(opened.size(), 1);
        QVERIFY(holdsThroughout(100, [&] { return opened.size() == 1; }));
        QCOMPARE(fallen.size(), 1);
        QDBusConnection::disconnectFromBus("stand-in");
    }
};

QTEST_GUILESS_MAIN(DesktopNotificationsTest)
#include "DesktopNotificationsTest.moc"
