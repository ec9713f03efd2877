#include "views/Theme.h"
#include "views/Typography.h"

#include <QFontInfo>
#include <QTest>

#include <cmath>

namespace {

double luminance(const QColor& colour) {
    const auto channel = [](double value) {
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

QColor over(const QColor& top, const QColor& bottom) {
    const double alpha = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * alpha + bottom.redF() * (1 - alpha)),
                            float(top.greenF() * alpha + bottom.greenF() * (1 - alpha)),
                            float(top.blueF() * alpha + bottom.blueF() * (1 - alpha)));
}

// How well text in `text` reads on `background`: 1 for none, 21 for black on white.
double contrast(const QColor& text, const QColor& background) {
    const double first = luminance(over(text, background));
    const double second = luminance(background);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

} // namespace

class ThemeTest : public QObject {
    Q_OBJECT

private slots:
    void paletteWindowPicksTheVariant_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::addColumn<bool>("dark");
        // The button colour points the other way, so that only the window colour can decide.
        QTest::newRow("just below middle") << QPalette(Qt::white, QColor(127, 127, 127)) << true;
        QTest::newRow("just above middle") << QPalette(Qt::black, QColor(129, 129, 129)) << false;
    }
    void paletteWindowPicksTheVariant() {
        QFETCH(QPalette, palette);
        QFETCH(bool, dark);
        const Theme theme = Theme::fromPalette(palette);
        QCOMPARE(theme.isDark, dark);
        QCOMPARE(theme, dark ? Theme::dark() : Theme::light());
    }

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
        QCOMPARE(palette.color(QPalette::Window), theme.windowBackground);
        QCOMPARE(palette.color(QPalette::Base), theme.textBackground);
        QVERIFY(contrast(palette.color(QPalette::Text), theme.textBackground) >= 7);
        QVERIFY(contrast(palette.color(QPalette::ButtonText), palette.color(QPalette::Button)) >=
                7);
        QVERIFY(contrast(palette.color(QPalette::Disabled, QPalette::WindowText),
                         theme.windowBackground) <
                contrast(palette.color(QPalette::WindowText), theme.windowBackground));
    }

    void digitsShareOneWidth() {
        const QFontMetricsF metrics(Typography::font(12));
        const double width = metrics.horizontalAdvance(QLatin1Char('0'));
        for (const QChar digit : QStringLiteral("123456789"))
            QCOMPARE(metrics.horizontalAdvance(digit), width);
    }

    void commandsAreMonospaced() {
        const QFont font = Typography::monospaced(12);
        QCOMPARE(font.pixelSize(), 12);
        QVERIFY(QFontInfo(font).fixedPitch());
        const QFontMetricsF metrics(font);
        QCOMPARE(metrics.horizontalAdvance(QLatin1Char('i')),
                 metrics.horizontalAdvance(QLatin1Char('W')));
    }
};

QTEST_MAIN(ThemeTest)
#include "ThemeTest.moc"
