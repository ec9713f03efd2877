#include "tray/TrayIcon.h"
#include "Spanwell/store/StoreHarness.h"
#include "Spanwell/views/Pictures.h"
#include "support/IconContrast.h"
#include "views/Theme.h"

#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

namespace {

constexpr int edge = 32;
const QColor lightPanel(240, 240, 240);
const QColor darkPanel(32, 32, 32);

} // namespace

class TrayIconTest : public QObject {
    Q_OBJECT

private slots:
    // Shown, the label starts the store, and the first refresh brings the average of the
    // session readings into the image and the tool tip of an item attached later.
    void showsTheAverageOnceTheStoreKnowsIt() {
        StoreHarness harness;
        harness.addAccount(QStringLiteral(".claude-a"), QStringLiteral("token-a"));
        harness.addAccount(QStringLiteral(".claude-b"), QStringLiteral("token-b"));
        const QString usage = QStringLiteral("/api/oauth/usage");
        harness.client->answer(QStringLiteral("token-a"), usage, usageReply(42, 5));
        harness.client->answer(QStringLiteral("token-b"), usage, usageReply(100, 5));
        const auto store = harness.makeStore();
        TrayIcon label(*store);

        QSignalSpy finished(store.get(), &Store::refreshFinished);
        label.show();
        QVERIFY(finished.wait(5000));
        QSystemTrayIcon item;
        QCOMPARE(item.toolTip(), QString());
        label.attach(&item);
        QCOMPARE(TrayIcon::text(store->averageSession()), QStringLiteral("71%"));
        QCOMPARE(item.toolTip(), QStringLiteral("Spanwell  ·  average session use 71%"));
        // The figure goes under the gauge, which alone fills the square.
        const QImage withFigure = item.icon().pixmap(edge).toImage();
        const auto inkBelowMiddle = [](const QImage& image) {
            return !Pictures::ink(image.copy(0, edge * 3 / 4, edge, edge / 4), 128).isEmpty();
        };
        QVERIFY(inkBelowMiddle(withFigure));
        QVERIFY(withFigure != TrayIcon::image(std::nullopt, edge, {Qt::black, Qt::white}));
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
        for (const QPalette& palette : {Theme::light().palette(), Theme::dark().palette()}) {
            const TrayIconStyles::Ink ink = TrayIconStyles::ink(style, palette);
            for (const std::optional<double> average : {std::optional<double>(), {100.0}})
                for (const int size : {16, 22, 24, 32}) {
                    const QImage image = TrayIcon::image(average, size, ink);
                    QCOMPARE(IconContrast::isReadable(image, lightPanel), onLight);
                    QCOMPARE(IconContrast::isReadable(image, darkPanel), onDark);
                }
        }
    }
};

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
