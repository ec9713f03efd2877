#include "tray/TrayIcon.h"
#include "Spanwell/store/StoreHarness.h"
#include "support/IconContrast.h"
#include "views/Theme.h"

#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

class TrayIconTest : public QObject {
    Q_OBJECT

private slots:
    // Shown, it starts the store, whose first refresh brings the average session use into the
    // tool tip of an item attached later.
    void showsTheAverageOnceTheStoreKnowsIt() {
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("token-a"));
        harness.client->answer(QStringLiteral("token-a"), QStringLiteral("/api/oauth/usage"),
                               usageReply(42, 5));
        const auto store = harness.makeStore();
        TrayIcon icon(*store);
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        icon.show();
        QVERIFY(finished.wait(5000));
        QSystemTrayIcon item;
        icon.attach(&item);
        QVERIFY(item.toolTip().endsWith(QStringLiteral(" 42%")));
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
