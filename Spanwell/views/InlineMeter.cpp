#include "views/InlineMeter.h"

#include "model/Format.h"
#include "views/Bar.h"
#include "views/TextLabel.h"
#include "views/Typography.h"
#include "views/UsageTint.h"

#include <QHBoxLayout>

namespace {
constexpr int spacing = 6;
constexpr double textSize = 11;
} // namespace

InlineMeter::InlineMeter(const LimitReading& limit, QWidget* parent)
    : QWidget(parent)
    , usage(new Bar(limit.percent / 100, UsageTint::bar(limit.percent)))
    , titleLabel(
          new TextLabel(limit.shortTitle(), Typography::font(textSize), Theme::Role::secondaryText))
    , numberLabel(new TextLabel(Format::percent(limit.percent),
                                Typography::font(textSize, QFont::Medium),
                                UsageTint::number(limit.percent))) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // Neither text gives way: the bar takes what is left.
    titleLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    numberLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addWidget(titleLabel);
    layout->addWidget(usage, 1);
    layout->addWidget(numberLabel);
}
