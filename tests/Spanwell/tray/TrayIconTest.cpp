#include "tray/TrayIcon.h"
#include "Spanwell/store/StoreHarness.h"
#include "Spanwell/views/Pictures.h"
#include "support/IconContrast.h"
#include "views/Theme.h"

#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

class TrayIconTest : public QObject {
    Q_OBJECT

private slots:
    // Shown, it starts the store, and the first refresh brings the average of the session
    // readings into the image and the tool tip of an item attached later: the figure under
    // the gauge, which alone fills the square.
    void showsTheAverageOnceTheStoreKnowsIt() {
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("token-a"));
        harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("token-b"));
        const QString usage = QStringLiteral("/api/oauth/usage");
        harness.client->answer(QStringLiteral("token-a"), usage, usageReply(42, 5));
        harness.client->answer(QStringLiteral("token-b"), usage, usageReply(100, 5));
        const auto store = harness.makeStore();
        TrayIcon icon(*store);
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        icon.show();
        QVERIFY(finished.wait(5000));
        QSystemTrayIcon item;
        icon.attach(&item);
        QVERIFY(item.toolTip().endsWith(QStringLiteral(" 71%")));
        const QImage image = item.icon().pixmap(32).toImage();
        QVERIFY(!Pictures::ink(image.copy(0, 24, 32, 8), 128).isEmpty());
        QVERIFY(image != TrayIcon::image(std::nullopt, 32, {Qt::black, Qt::white}));
    }

    void readableOnThePanelsItIsFor_data() {
        QTest::addColumn<TrayIconStyle>("style");
        QTest::addColumn<bool>("onLight");
        QTest::addColumn<bool>("onDark");
        QTest::newRow("automatic") << TrayIconStyle::automatic << true << true;
        QTest::newRow("for light panels") << TrayIconStyle::forLightPanels << true << false;
        QTest::newRow("for dark panels") << TrayIconStyle::forDarkPanels << false << true;
    }
    void readableOnThePanelsItIsFor() {
        QFETCH(TrayIconStyle, style);
        QFETCH(bool, onLight);
        QFETCH(bool, onDark);
        // Whichever tone the desktop's own text has.
        for (const QPalette& palette : {Theme::light().palette(), Theme::dark().palette()})
            for (const std::optional<double> average : {std::optional<double>(), {100.0}})
                for (const int size : {16, 22, 24, 32}) {
                    const QImage image =
                        TrayIcon::image(average, size, TrayIconStyles::ink(style, palette));
                    QCOMPARE(IconContrast::isReadable(image, QColor(240, 240, 240)), onLight);
                    QCOMPARE(IconContrast::isReadable(image, QColor(32, 32, 32)), onDark);
                }
    }
};

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
