#include "notifications/NotificationCenter.h"
#include "Spanwell/store/StoreHarness.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QString usagePath = QStringLiteral("/api/oauth/usage");

QByteArray sessionReply(double percent, Instant resetsAt) {
    return QStringLiteral(R"({"five_hour":{"utilization":%1,"resets_at":"%2"}})")
        .arg(percent)
        .arg(resetsAt.toDateTime().toString(Qt::ISODate))
        .toUtf8();
}

} // namespace

class NotificationCenterTest : public QObject {
    Q_OBJECT

private slots:
    // A few seconds after the blocked account's reset, it alone is fetched again, and said to be
    // usable as soon as the service agrees.
    void checksBlockedAccountsAtTheirReset() {
        StoreHarness harness;
        const Account blocked = harness.addAccount(".claude-a", "token-a");
        harness.addAccount(".claude-b", "token-b");
        const Instant reset = harness.clock.now() + 3600;
        harness.client->answer("token-a", usagePath, sessionReply(100, reset));
        harness.client->answer("token-b", usagePath, sessionReply(10, reset));
        const auto store = harness.makeStore();
        QList<Notification> sent;
        NotificationCenter center(
            *store, harness.openSettings(), harness.home.pathOf("state/announced.json"),
            [&sent](const Announcement& announcement) { sent.append(announcement.notification); });
        QVERIFY(StoreHarness::refreshAndWait(*store));
        const std::optional<Instant> firstRefresh = store->lastRefresh();
        auto* timer = center.findChild<QTimer*>();
        QVERIFY(sent.isEmpty() && timer->isActive());

        harness.clock.advance(3605);
        harness.client->answer("token-a", usagePath, sessionReply(0, reset + 18000));
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
        QVERIFY(finished.wait());
        QCOMPARE(harness.client->count("token-a", usagePath), 2);
        QCOMPARE(harness.client->count("token-b", usagePath), 1);
        QCOMPARE(store->lastRefresh(), firstRefresh);
        QCOMPARE(sent.size(), 1);
        QVERIFY(sent[0].body.contains(blocked.email));
        QVERIFY(!timer->isActive());
    }
};

QTEST_MAIN(NotificationCenterTest)
#include "NotificationCenterTest.moc"
