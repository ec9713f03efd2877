#include "tray/TrayIcon.h"
#include "support/IconContrast.h"
#include "views/Theme.h"

#include <QTest>

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
};

QTEST_MAIN(TrayIconTest)
#include "TrayIconTest.moc"
