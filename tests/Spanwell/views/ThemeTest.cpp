#include "views/Theme.h"
#include "support/IconContrast.h"

#include <QTest>

namespace {

// How well text in `text` reads on `background`: 1 for none, 21 for black on white.
double contrast(const QColor& text, const QColor& background) {
    return IconContrast::ratio(IconContrast::laidOver(text, background), background);
}

} // namespace

class ThemeTest : public QObject {
    Q_OBJECT

private slots:
    void textReadsOnItsBackground_data() {
        QTest::addColumn<bool>("dark");
        QTest::newRow("light") << false;
        QTest::newRow("dark") << true;
    }
    void textReadsOnItsBackground() {
        QFETCH(bool, dark);
        const Theme theme = dark ? Theme::dark() : Theme::light();
        QVERIFY(contrast(theme.primaryText, theme.windowBackground) >= 7);
        QVERIFY(contrast(theme.secondaryText, theme.windowBackground) >= 3);
        QVERIFY(contrast(theme.accent, theme.windowBackground) >= 3);
        QVERIFY(contrast(theme.secondaryText, theme.windowBackground) <
                contrast(theme.primaryText, theme.windowBackground));
        QVERIFY(contrast(theme.separator, theme.windowBackground) < 1.5);

        const QPalette palette = theme.palette();
        QVERIFY(contrast(palette.color(QPalette::Text), theme.textBackground) >= 7);
        QVERIFY(contrast(palette.color(QPalette::ButtonText), palette.color(QPalette::Button)) >=
                7);
        QVERIFY(contrast(palette.color(QPalette::Disabled, QPalette::WindowText),
                         theme.windowBackground) <
                contrast(palette.color(QPalette::WindowText), theme.windowBackground));
    }
};

QTEST_MAIN(ThemeTest)
#include "ThemeTest.moc"
