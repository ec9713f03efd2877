#include "tray/TrayIcon.h"
#include "support/IconContrast.h"
#include "views/Theme.h"

#include <QTest>

namespace {
const Instant now(800000000);
} // namespace

class TrayIconTest : public QObject {
    Q_OBJECT

private slots:
    // The automatic style reads on light and dark panels alike, each other one only on the
    // panels it is for, whichever tone the desktop's own text has.
    void readableOnThePanelsItIsFor_data() {
        QTest::addColumn<TrayIconStyle>("style");
        QTest::addColumn<bool>("darkText");
        QTest::addColumn<std::optional<double>>("average");
        QTest::addColumn<int>("size");
        for (const TrayIconStyle style : TrayIconStyles::all())
            for (const bool darkText : {false, true})
                for (const std::optional<double> average : {std::optional<double>(), {100.0}})
                    for (const int size : {16, 22, 24, 32})
                        QTest::addRow(
                            "%s, %s text, %s, %d px", qPrintable(TrayIconStyles::title(style)),
                            darkText ? "dark" : "light", average ? "100 %" : "no figures", size)
                            << style << darkText << average << size;
    }
    void readableOnThePanelsItIsFor() {
        QFETCH(TrayIconStyle, style);
        QFETCH(bool, darkText);
        QFETCH(std::optional<double>, average);
        QFETCH(int, size);
        const QPalette palette = (darkText ? Theme::light() : Theme::dark()).palette();
        const QImage image = TrayIcon::image(average, size, TrayIconStyles::ink(style, palette));
        QCOMPARE(IconContrast::isReadable(image, QColor(240, 240, 240)),
                 style != TrayIconStyle::forDarkPanels);
        QCOMPARE(IconContrast::isReadable(image, QColor(32, 32, 32)),
                 style != TrayIconStyle::forLightPanels);
    }

    // A blocked account marks the corner red, one nearly used up or partly usable yellow.
    void cornerMark_data() {
        QTest::addColumn<QList<Entry>>("entries");
        QTest::addColumn<TrayIcon::Alert>("alert");
        const auto account = [](QList<LimitReading> limits, std::optional<FetchProblem> problem) {
            return Entry{{"/h/.claude", {}, "a@example.com", {}, {}},
                         Snapshot{std::move(limits), {}, {}, {}, now},
                         std::move(problem)};
        };
        const Entry nearly = account({{"Session", 92, {}}}, {});
        QTest::newRow("ready") << QList{account({{"Session", 40, {}}}, {})}
                               << TrayIcon::Alert::none;
        QTest::newRow("nearly used up") << QList{nearly} << TrayIcon::Alert::nearlyUsedUp;
        QTest::newRow("partly usable")
            << QList{account({{"Session", 10, {}}, {"Week, Opus", 100, now + 60}}, {})}
            << TrayIcon::Alert::nearlyUsedUp;
        QTest::newRow("blocked first")
            << QList{nearly, account({{"Session", 10, {}}}, FetchProblem::signInExpired())}
            << TrayIcon::Alert::blocked;
    }
    void cornerMark() {
        QFETCH(QList<Entry>, entries);
        QFETCH(TrayIcon::Alert, alert);
        QCOMPARE(TrayIcon::alert(entries, now), alert);
        const QColor corner =
            TrayIcon::image(50.0, 22, TrayIconStyles::ink({}, Theme::light().palette()), alert)
                .pixelColor(19, 3);
        QCOMPARE(corner.red() > 200 && corner.alpha() == 255, alert != TrayIcon::Alert::none);
        QCOMPARE(corner.green() > 150, alert == TrayIcon::Alert::nearlyUsedUp);
    }
};

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
