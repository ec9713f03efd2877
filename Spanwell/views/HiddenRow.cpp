#include "views/HiddenRow.h"

#include "views/LinkButton.h"
#include "views/SymbolView.h"
#include "views/TextLabel.h"
#include "views/Typography.h"

#include <QHBoxLayout>

namespace {
constexpr int horizontalPadding = 14;
constexpr int verticalPadding = 7;
constexpr int spacing = 7;
} // namespace

HiddenRow::HiddenRow(const Account& account, std::function<void()> trackAgain, QWidget* parent)
    : QWidget(parent) {
    auto* mark = new SymbolView(QStringLiteral("circle.dotted"), 9, Theme::Role::secondaryText);
    mark->setBoxWidth(10);
    auto* email = new TextLabel(account.email, Typography::font(12), Theme::Role::secondaryText);
    email->setObjectName(QStringLiteral("email"));
    email->setElideMode(Qt::ElideMiddle);
    auto* note = new TextLabel(QStringLiteral("Not tracked"), Typography::font(11),
                               Theme::Role::secondaryText);
    note->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* track = new LinkButton(QStringLiteral("Track Again"), 11);
    connect(track, &QAbstractButton::clicked, this, [trackAgain = std::move(trackAgain)] {
        if (trackAgain)
            trackAgain();
    });

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding,
                               verticalPadding);
    layout->setSpacing(spacing);
    layout->addWidget(mark);
    layout->addWidget(email);
    layout->addStretch(1);
    layout->addWidget(note);
    layout->addWidget(track);
}
