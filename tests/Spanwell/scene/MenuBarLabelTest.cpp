#include "views/MenuBarLabel.h"
#include "Spanwell/store/StoreHarness.h"
#include "Spanwell/views/Pictures.h"
#include "support/TestRegistry.h"

#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

constexpr int edge = 32;

QRect inkWithin(const QImage& image, int fromRow, int toRow) {
    return Pictures::ink(image.copy(0, fromRow, image.width(), toRow - fromRow));
}

} // namespace

class MenuBarLabelTest : public QObject {
    Q_OBJECT

private slots:
    // Shown, the label starts the store, and the first refresh brings the average of the
    // session readings into the image and the tool tip.
    void showsTheAverageOnceTheStoreKnowsIt() {
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("token-a"));
        harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("token-b"));
        const QString usage = QStringLiteral("/api/oauth/usage");
        harness.client->answer(QStringLiteral("token-a"), usage, usageReply(42, 5));
        harness.client->answer(QStringLiteral("token-b"), usage, usageReply(100, 5));
        const auto store = harness.makeStore();
        QSystemTrayIcon item;
        MenuBarLabel label(*store, item);

        QCOMPARE(item.toolTip(), QStringLiteral("Spanwell"));
        const QImage gaugeAlone = item.icon().pixmap(edge).toImage();
        QVERIFY(Pictures::ink(gaugeAlone).height() >= edge - 4);

        QSignalSpy finished(store.get(), &Store::refreshFinished);
        label.show();
        QVERIFY(finished.wait(5000));
        QCOMPARE(MenuBarLabel::text(store->averageSession()), QStringLiteral("71%"));
        QCOMPARE(item.toolTip(), QStringLiteral("Spanwell  ·  average session use 71%"));
        // The gauge moves into the top half; the figure, wider than the gauge, fills the rest.
        const QImage withFigure = item.icon().pixmap(edge).toImage();
        const QRect gauge = inkWithin(withFigure, 0, edge / 2);
        const QRect figure = inkWithin(withFigure, edge / 2 + 2, edge);
        QVERIFY(gauge.width() <= edge / 2 + 1);
        QVERIFY(figure.width() > gauge.width() + 4);
        QVERIFY(inkWithin(withFigure, edge / 2, edge / 2 + 2).isEmpty());
    }
};

SPANWELL_TEST(MenuBarLabelTest)
#include "MenuBarLabelTest.moc"
