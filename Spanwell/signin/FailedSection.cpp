#include "signin/SignInFlow.h"
#include "signin/SignInSections.h"
#include "signin/SignInWindow.h"
#include "views/LinkButton.h"
#include "views/SymbolView.h"
#include "views/TextLabel.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr double triangleSize = 26;
constexpr double linkSize = 12;

} // namespace

FailedSection::FailedSection(SignInFlow& shown, QWidget* parent)
    : SignInSection(shown, parent) {
    auto* triangle = new SymbolView(QStringLiteral("exclamationmark.triangle.fill"), triangleSize,
                                    Theme::Role::yellow);
    triangle->setBoxWidth(pictureColumn);
    const Header header =
        addHeader(triangle, QStringLiteral("Not signed in"), flow.phase().message());
    header.explanation->setSelectable();
    if (flow.claudeMissing()) {
        auto* install = new LinkButton(QStringLiteral("How to install Claude Code"), linkSize);
        header.texts->addWidget(install, 0, Qt::AlignLeading);
        connect(install, &LinkButton::clicked, &flow,
                [&shown] { shown.open(QUrl(QString::fromLatin1(SignInWindow::installHelp))); });
    }

    QPushButton* cancel = pushButton(QStringLiteral("Cancel"));
    QPushButton* tryAgain = pushButton(QStringLiteral("Try Again"));
    addButtons({cancel, tryAgain}, cancel, tryAgain);
    connect(cancel, &QPushButton::clicked, &flow, &SignInFlow::close);
    connect(tryAgain, &QPushButton::clicked, &flow, &SignInFlow::retry);
}
