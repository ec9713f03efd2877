#include "views/StatusMark.h"

namespace {

constexpr double symbolSize = 9;
constexpr double markWidth = 10;

} // namespace

StatusMark::StatusMark(AccountStatus::Level level, QWidget* parent)
    : SymbolView(symbolName(level), symbolSize, colourRole(level), parent)
    , shownLevel(level) {
    setBoxWidth(markWidth);
}

QString StatusMark::symbolName(AccountStatus::Level level) {
    switch (level) {
    case AccountStatus::Level::ready:
    case AccountStatus::Level::blocked:
        return QStringLiteral("circle.fill");
    case AccountStatus::Level::partial:
        return QStringLiteral("circle.lefthalf.filled");
    case AccountStatus::Level::unknown:
        break;
    }
    return QStringLiteral("circle");
}

Theme::Role StatusMark::colourRole(AccountStatus::Level level) {
    switch (level) {
    case AccountStatus::Level::ready:
        return Theme::Role::green;
    case AccountStatus::Level::partial:
    case AccountStatus::Level::blocked:
        return Theme::Role::red;
    case AccountStatus::Level::unknown:
        break;
    }
    return Theme::Role::secondaryText;
}
