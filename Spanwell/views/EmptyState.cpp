#include "views/EmptyState.h"

#include "views/TextLabel.h"
#include "views/Typography.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int padding = 14;
constexpr int spacing = 8;
constexpr int spaceAboveButton = 2;

const QString explanationText =
#if defined(Q_OS_MACOS)
    QStringLiteral("Spanwell shows the accounts Claude Code is signed in to on this Mac. Add one "
                   "here, or sign in with /login in Claude Code.");
#else
    QStringLiteral("Spanwell shows the accounts Claude Code is signed in to on this computer. Add "
                   "one here, or sign in with /login in Claude Code.");
#endif

} // namespace

EmptyState::EmptyState(std::function<void()> addAccount, bool renderingPicture, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(spacing);

    auto* title = new TextLabel(QStringLiteral("No Claude Code sign-in found"),
                                Typography::font(13, QFont::DemiBold), Theme::Role::primaryText);
    auto* explanation =
        new TextLabel(explanationText, Typography::font(12), Theme::Role::secondaryText);
    explanation->setWordWrap(true);
    layout->addWidget(title);
    layout->addWidget(explanation);
    if (renderingPicture)
        return;

    auto* add = new QPushButton(QStringLiteral("Add an Account\u2026"));
    add->setObjectName(QStringLiteral("addAccount"));
    connect(add, &QPushButton::clicked, this, [addAccount = std::move(addAccount)] {
        if (addAccount)
            addAccount();
    });
    layout->addSpacing(spaceAboveButton);
    layout->addWidget(add, 0, Qt::AlignLeading);
}
