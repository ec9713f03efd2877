#include "tray/TrayIcon.h"
#include "support/IconContrast.h"
#include "views/Theme.h"

#include <QTest>

class TrayIconTest : public QObject {
    Q_OBJECT

private slots:
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
