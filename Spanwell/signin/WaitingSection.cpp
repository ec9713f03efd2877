#include "signin/SignInFlow.h"
#include "signin/SignInSections.h"
#include "signin/Spinner.h"
#include "views/LinkButton.h"
#include "views/TextLabel.h"
#include "views/Typography.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int spinnerBoxHeight = 20;
constexpr int linkSpacing = 8;
constexpr double linkSize = 12;
constexpr int codeRowSpacing = 8;
constexpr int pageLinkSpacing = 16;

QWidget* spinnerBox() {
    auto* box = new QWidget;
    box->setFixedSize(SignInSection::pictureColumn, spinnerBoxHeight);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new Spinner, 0, Qt::AlignCenter);
    return box;
}

bool isBlank(const QString& code) {
    for (const QChar character : code)
        if (character != QLatin1Char(' ') && character != QLatin1Char('\t'))
            return false;
    return true;
}

} // namespace

WaitingSection::WaitingSection(SignInFlow& shown, QWidget* parent)
    : SignInSection(shown, parent)
    , openAgain(new LinkButton(QStringLiteral("Open the Sign-In Page Again"), linkSize))
    , copyLink(new LinkButton(QStringLiteral("Copy Link"), linkSize))
    , askForCode(new LinkButton(QStringLiteral("The page shows a code?"), linkSize))
    , codeArea(new QWidget)
    , codeBox(textBox(QStringLiteral("Code")))
    , continueButton(pushButton(QStringLiteral("Continue"))) {
    addHeader(spinnerBox(), QStringLiteral("Finish signing in in your browser"),
              QStringLiteral("Sign in as the account you want ") +
                  (flow.again() ? QStringLiteral("to renew") : QStringLiteral("to add")) +
                  QStringLiteral(". If your browser is signed in to a different Claude account, "
                                 "switch accounts on that page first."));

    auto* codeLayout = new QVBoxLayout(codeArea);
    codeLayout->setContentsMargins(0, 0, 0, 0);
    codeLayout->setSpacing(linkSpacing);
    codeLayout->addWidget(new TextLabel(QStringLiteral("If the page shows a code, paste it here:"),
                                        Typography::font(linkSize), Theme::Role::primaryText));
    auto* codeRow = new QHBoxLayout;
    codeRow->setSpacing(codeRowSpacing);
    codeRow->addWidget(codeBox, 1);
    codeRow->addWidget(continueButton);
    codeLayout->addLayout(codeRow);

    auto* links = new QVBoxLayout;
    links->setContentsMargins(headerIndent, 0, 0, 0);
    links->setSpacing(linkSpacing);
    // Without a browser on this computer (over SSH, say) the address goes to one elsewhere.
    auto* page = new QHBoxLayout;
    page->setSpacing(pageLinkSpacing);
    page->addWidget(openAgain);
    page->addWidget(copyLink);
    page->addStretch(1);
    links->addLayout(page);
    links->addWidget(askForCode, 0, Qt::AlignLeading);
    links->addWidget(codeArea);
    stack->addLayout(links);

    QPushButton* cancel = pushButton(QStringLiteral("Cancel"));
    addButtons({cancel}, cancel, nullptr);

    connect(openAgain, &LinkButton::clicked, this, [this] {
        flow.openSignInPage();
        showCodeBox();
    });
    connect(copyLink, &LinkButton::clicked, this, [this] {
        flow.copySignInLink();
        copyLink->setText(QStringLiteral("Link Copied"));
        copyLink->updateGeometry();
    });
    connect(askForCode, &LinkButton::clicked, this, &WaitingSection::showCodeBox);
    connect(codeBox, &QLineEdit::textEdited, &flow, &SignInFlow::setCode);
    // Return in the box sends even a blank code; the login ignores one.
    connect(codeBox, &QLineEdit::returnPressed, &flow, &SignInFlow::submitCode);
    connect(continueButton, &QPushButton::clicked, &flow, &SignInFlow::submitCode);
    connect(cancel, &QPushButton::clicked, &flow, &SignInFlow::close);
    refresh();
}

void WaitingSection::showCodeBox() {
    flow.setShowCode(true);
    codeBox->setFocus(Qt::OtherFocusReason);
}

void WaitingSection::refresh() {
    openAgain->setVisible(flow.signInURL().has_value());
    copyLink->setVisible(flow.signInURL().has_value());
    askForCode->setVisible(!flow.showCode());
    codeArea->setVisible(flow.showCode());
    showText(codeBox, flow.code());
    continueButton->setEnabled(!isBlank(flow.code()));
}

QWidget* WaitingSection::firstInput() const {
    return flow.showCode() ? codeBox : nullptr;
}
