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
    : InlineMeter(limit.shortTitle(), limit.percent, Format::percent(limit.percent), parent) {
    usage->setElapsedShare(LimitWindow::elapsedShare(limit, now));
    // Room for the widest share, so that a bar is as long beside "5%" as beside "100%", in this
    // row and in every other.
    const QString figure = numberLabel->text();
    numberLabel->setText(Format::percent(usedUpPercent));
    reservedNumberWidth = numberLabel->sizeHint().width();
    numberLabel->setText(figure);
}

InlineMeter::InlineMeter(const QString& title, double percent, const QString& figure,
                         QWidget* parent)
    : QWidget(parent)
    , usage(new Bar(percent / 100, UsageTint::bar(percent), this))
    , titleLabel(new TextLabel(title, Typography::font(textSize), Theme::Role::secondaryText, this))
    , numberLabel(new TextLabel(figure, Typography::font(textSize, QFont::Medium),
                                UsageTint::number(percent), this)) {}

int InlineMeter::titleWidth() const {
    return titleLabel->sizeHint().width();
}

int InlineMeter::numberWidth() const {
    return std::max(numberLabel->sizeHint().width(), reservedNumberWidth);
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
