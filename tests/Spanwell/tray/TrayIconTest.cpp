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

    // The automatic style reads on light and dark panels alike, each other one only on the
    // panels it is for, whichever tone the desktop's own text has.
    void readableOnThePanelsItIsFor() {
        for (const TrayIconStyle style : TrayIconStyles::all())
            for (const QPalette& palette : {Theme::light().palette(), Theme::dark().palette()})
                for (const std::optional<double> average : {std::optional<double>(), {100.0}})
                    for (const int size : {16, 22, 24, 32}) {
                        const QImage image =
                            TrayIcon::image(average, size, TrayIconStyles::ink(style, palette));
                        QCOMPARE(IconContrast::isReadable(image, QColor(240, 240, 240)),
                                 style != TrayIconStyle::forDarkPanels);
                        QCOMPARE(IconContrast::isReadable(image, QColor(32, 32, 32)),
                                 style != TrayIconStyle::forLightPanels);
                    }
    }
};

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
