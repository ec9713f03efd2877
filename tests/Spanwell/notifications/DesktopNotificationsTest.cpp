#include "notifications/DesktopNotifications.h"
#include "desktop/NotificationService.h"
#include "support/Holds.h"
#include "support/TemporaryHome.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

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
        using Moment = Announcement::Moment;
        const Announcement sample{"/h/.claude-a",
                                  Moment::nearlyUsedUp,
                                  "Week",
                                  {"<b>Week</b> limit", "<a href=\"https://x.example\">R&D</a>"}};
        QList<Announcement> fallen;
        const auto fallback = [&fallen](const Announcement& shown) { fallen.append(shown); };
        {
            DesktopNotifications alone(fallback, bus);
            alone.send(sample);
            QTRY_COMPARE(fallen.size(), 1);
            QCOMPARE(fallen[0].notification, sample.notification);
        }

        NotificationService standIn;
        QDBusConnection serving = QDBusConnection::connectToBus(bus, "stand-in");
        QVERIFY(serving.registerObject("/org/freedesktop/Notifications", &standIn,
                                       QDBusConnection::ExportAllContents));
        QVERIFY(serving.registerService("org.freedesktop.Notifications"));
        DesktopNotifications notifications(fallback, bus);
        QSignalSpy opened(&notifications, &DesktopNotifications::opened);
        notifications.send(sample);
        QTRY_COMPARE(standIn.calls.size(), 1);
        QCOMPARE(standIn.calls[0].summary, "&lt;b&gt;Week&lt;/b&gt; limit");
        QCOMPARE(standIn.calls[0].body, "&lt;a href=\"https://x.example\"&gt;R&amp;D&lt;/a&gt;");
        QCOMPARE(standIn.calls[0].actions.first(), "default");
        // Its action opens the panel at the account's row. The service's answer to a call
        // travels before any signal it sends later, so the notice's number is known by then.
        emit standIn.ActionInvoked(41, "default");
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened[0][0], "/h/.claude-a");
        // The limit used up takes the place of its nearly-used-up notice, urgently; another
        // account's limit gets a notice of its own.
        Announcement usedUp = sample;
        usedUp.moment = Moment::usedUp;
        notifications.send(usedUp);
        usedUp.account = "/h/.claude-b";
        notifications.send(usedUp);
        QTRY_COMPARE(standIn.calls.size(), 3);
        QCOMPARE(standIn.calls[1].replaces, 41u);
        QCOMPARE(standIn.calls[2].replaces, 0u);
        QCOMPARE(standIn.calls[1].hints.value("urgency"), QVariant::fromValue(uchar(2)));
        // Only the action of its own notifications opens the panel.
        emit standIn.ActionInvoked(7, "default");
        emit standIn.ActionInvoked(43, "default");
        QTRY_COMPARE(opened.size(), 2);
        QVERIFY(holdsThroughout(100, [&] { return opened.size() == 2; }));
        QCOMPARE(opened[1][0], "/h/.claude-b");
        QCOMPARE(fallen.size(), 1);
        QDBusConnection::disconnectFromBus("stand-in");
    }
};

QTEST_GUILESS_MAIN(DesktopNotificationsTest)
#include "DesktopNotificationsTest.moc"
