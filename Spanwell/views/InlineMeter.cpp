#include "views/InlineMeter.h"

#include "model/Format.h"
#include "model/LimitWindow.h"
#include "views/Bar.h"
#include "views/TextLabel.h"
#include "views/Typography.h"
#include "views/UsageTint.h"

#include <QStyle>

#include <algorithm>

namespace {
constexpr double textSize = 11;
} // namespace

InlineMeter::InlineMeter(const LimitReading& limit, Instant now, QWidget* parent)
    : QWidget(parent)
    , usage(new Bar(limit.percent / 100, UsageTint::bar(limit.percent), this))
    , titleLabel(new TextLabel(limit.shortTitle(), Typography::font(textSize),
                               Theme::Role::secondaryText, this))
    , numberLabel(new TextLabel(Format::percent(limit.percent),
                                Typography::font(textSize, QFont::Medium),
                                UsageTint::number(limit.percent), this)) {
    usage->setElapsedShare(LimitWindow::elapsedShare(limit, now));
}

int InlineMeter::titleWidth() const {
    return titleLabel->sizeHint().width();
}

int InlineMeter::numberWidth() const {
    return numberLabel->sizeHint().width();
}

int InlineMeter::lineHeight() const {
    return std::max(titleLabel->sizeHint().height(), numberLabel->sizeHint().height());
}

void InlineMeter::place(int titleColumn, int trackLength) {
    const int height = lineHeight();
    const int numberLeft = titleColumn + spacing + trackLength + spacing;
    resize(numberLeft + numberWidth(), height);
    titleLabel->setGeometry(
        QStyle::visualRect(layoutDirection(), rect(), QRect(0, 0, titleWidth(), height)));
    const int barHeight = usage->sizeHint().height();
    usage->setGeometry(QStyle::visualRect(
        layoutDirection(), rect(),
        QRect(titleColumn + spacing, (height - barHeight) / 2, trackLength, barHeight)));
    numberLabel->setGeometry(
        QStyle::visualRect(layoutDirection(), rect(), QRect(numberLeft, 0, numberWidth(), height)));
}
