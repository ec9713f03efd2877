#include "signin/CommandBox.h"
#include "signin/SignInFlow.h"
#include "signin/SignInSections.h"
#include "views/SymbolView.h"
#include "views/TextLabel.h"
#include "views/Typography.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr double checkmarkSize = 30;
constexpr int commandSpacing = 6;
constexpr int commandRowSpacing = 8;
constexpr double commandIntroSize = 12;
constexpr double noteSize = 11;

} // namespace

DoneSection::DoneSection(SignInFlow& shown, QWidget* parent)
    : SignInSection(shown, parent) {
    auto* checkmark =
        new SymbolView(QStringLiteral("checkmark.circle.fill"), checkmarkSize, Theme::Role::green);
    checkmark->setBoxWidth(pictureColumn);
    const QString email = flow.phase().email();
    addHeader(checkmark,
              (flow.again() ? QStringLiteral("Signed in to ") : QStringLiteral("Added ")) + email,
              QStringLiteral("It shows in Spanwell's panel now."));

    const std::optional<SignInFlow::Target>& target = flow.target();
    if (target && !target->isDefault) {
        auto* command = new QVBoxLayout;
        command->setSpacing(commandSpacing);
        command->addWidget(
            new TextLabel(QStringLiteral("To use this account in Claude Code, start it with:"),
                          Typography::font(commandIntroSize), Theme::Role::primaryText));
        auto* row = new QHBoxLayout;
        row->setSpacing(commandRowSpacing);
        row->addWidget(
            new CommandBox(AccountFolder::command(target->path, target->isDefault, flow.home())),
            1);
        copyButton = pushButton(QStringLiteral("Copy"));
        row->addWidget(copyButton);
        command->addLayout(row);
        stack->addLayout(command);
        connect(copyButton, &QPushButton::clicked, &flow, &SignInFlow::copyCommand);
    }

    alsoSignedIn = new TextLabel(QString(), Typography::font(noteSize), Theme::Role::secondaryText);
    alsoSignedIn->setWrapping();
    alsoSignedIn->setContentsMargins(headerIndent, 0, 0, 0);
    stack->addWidget(alsoSignedIn);

    QPushButton* done = pushButton(QStringLiteral("Done"));
    addButtons({done}, nullptr, done);
    connect(done, &QPushButton::clicked, &flow, &SignInFlow::close);
    refresh();
}

void DoneSection::refresh() {
    // Looked for on a worker once the account is done.
    const std::optional<QString> label = flow.alsoSignedInAt();
    alsoSignedIn->setVisible(label.has_value());
    if (label)
        alsoSignedIn->setText(QStringLiteral("This account is also signed in at ") + *label +
                              QStringLiteral(", so it shows twice. You can stop tracking one of "
                                             "them in the panel."));
    if (copyButton)
        copyButton->setText(flow.copied() ? QStringLiteral("Copied") : QStringLiteral("Copy"));
}
