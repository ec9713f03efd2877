#include "views/Typography.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace {

int pixels(double size) {
    return std::max(1, int(std::lround(size)));
}

} // namespace

namespace Typography {

QFont font(double size, QFont::Weight weight) {
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixels(size));
    font.setWeight(weight);
    return font;
}

QFont monospaced(double size) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(pixels(size));
    return font;
}

} // namespace Typography
