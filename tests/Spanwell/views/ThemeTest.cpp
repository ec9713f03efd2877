#include "views/Theme.h"
#include "support/IconContrast.h"

#include <QTest>

class ThemeTest : public QObject {
    Q_OBJECT

private slots:
    // Each variant is recognised from its own palette, as every view recognises it when it
    // paints, and its texts read on its background.
    void eachVariantReadsAndIsRecognised_data() {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void eachVariantReadsAndIsRecognised() {
        QFETCH(bool, dark);
        const Theme theme = dark ? Theme::dark() : Theme::light();
        QCOMPARE(Theme::fromPalette(theme.palette()), theme);
        const auto contrast = [&theme](const QColor& text) {
            return IconContrast::ratio(IconContrast::laidOver(text, theme.windowBackground),
                                       theme.windowBackground);
        };
        QVERIFY(contrast(theme.primaryText) >= 7);
        QVERIFY(contrast(theme.secondaryText) >= 3);
    }
};

QTEST_MAIN(ThemeTest)
#include "ThemeTest.moc"
