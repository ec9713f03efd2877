#include "signin/SignInFlow.h"
#include "signin/SignInSections.h"
#include "views/AppIcon.h"
#include "views/TextLabel.h"
#include "views/Typography.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int iconSize = 44;
// The icon's shadow is measured in device pixels for its largest size, so it is drawn there
// once and scaled down.
constexpr int iconDrawingSize = 1024;
constexpr int formSpacing = 12;
constexpr double checkBoxSize = 12;
constexpr int checkBoxTextSpacing = 6;
constexpr double captionSize = 11;

// The application's own icon at the size of the header's picture.
class IconView : public QWidget {
public:
    IconView() { setFixedSize(iconSize, iconSize); }

protected:
    void paintEvent(QPaintEvent*) override {
        static const QImage icon = AppIcon::image(iconDrawingSize);
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect()), icon);
    }
};

// A check box whose text wraps: its label, beside the box, toggles it when clicked.
class CheckLabel : public TextLabel {
public:
    CheckLabel(const QString& text, QCheckBox* toggled)
        : TextLabel(text, Typography::font(checkBoxSize), Theme::Role::primaryText)
        , box(toggled) {
        setWrapping();
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        TextLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            box->toggle();
    }

private:
    QCheckBox* box;
};

QWidget* checkRow(QCheckBox* box, const QString& text) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(checkBoxTextSpacing);
    box->setAccessibleName(text);
    layout->addWidget(box, 0, Qt::AlignTop);
    layout->addWidget(new CheckLabel(text, box), 1);
    return row;
}

struct Caption {
    QString text;
    Theme::Role colour;
};

Caption captionFor(const AccountFolder::Check& check, const QString& name, const QString& home) {
    switch (check.kind()) {
    case AccountFolder::Check::Kind::ok: {
        QString folder = AccountFolder::command(check.path(), false, home);
        folder.remove(QStringLiteral("CLAUDE_CONFIG_DIR=")).remove(QStringLiteral(" claude"));
        return {QStringLiteral("Kept in ") + folder +
                    QStringLiteral(", the way Claude Code keeps each account."),
                Theme::Role::secondaryText};
    }
    case AccountFolder::Check::Kind::taken:
        return {QStringLiteral("That name is already used by ") + check.email() +
                    QStringLiteral(". Pick another name."),
                Theme::Role::red};
    case AccountFolder::Check::Kind::invalid:
        break;
    }
    if (name.isEmpty())
        return {QStringLiteral("A short name for this account, like work or personal."),
                Theme::Role::secondaryText};
    return {check.message(), Theme::Role::red};
}

} // namespace

NamingSection::NamingSection(SignInFlow& shown, QWidget* parent)
    : SignInSection(shown, parent)
    , defaultBox(new QCheckBox)
    , nameBox(textBox(QStringLiteral("work")))
    , nameCaption(
          new TextLabel(QString(), Typography::font(captionSize), Theme::Role::secondaryText))
    , emailBox(textBox(QStringLiteral("Optional")))
    , signIn(pushButton(QStringLiteral("Sign In with Claude…"))) {
    const QString title = flow.again() ? QStringLiteral("Sign in to ") + flow.again()->email +
                                             QStringLiteral(" again")
                                       : QStringLiteral("Add a Claude Code account");
    addHeader(new IconView, title,
              QStringLiteral("Spanwell signs in through Claude Code, so the account works in "
                             "Claude Code too. Your password goes only to Claude's sign-in page."));

    auto* form = new QVBoxLayout;
    form->setSpacing(formSpacing);
    defaultRow =
        checkRow(defaultBox,
                 QStringLiteral("Make it the main account, the one a plain claude command uses"));
    form->addWidget(defaultRow);
    nameField = field(QStringLiteral("Name"), nameBox, nameCaption);
    form->addWidget(nameField);
    form->addWidget(
        field(QStringLiteral("Email"), emailBox,
              new TextLabel(
                  QStringLiteral("Fills in the sign-in page, so you sign in as the right account."),
                  Typography::font(captionSize), Theme::Role::secondaryText)));
    stack->addLayout(form);

    QPushButton* cancel = pushButton(QStringLiteral("Cancel"));
    addButtons({cancel, signIn}, cancel, signIn);

    connect(defaultBox, &QCheckBox::toggled, &flow, &SignInFlow::setUseDefault);
    connect(nameBox, &QLineEdit::textEdited, &flow, &SignInFlow::setName);
    connect(emailBox, &QLineEdit::textEdited, &flow, &SignInFlow::setEmail);
    connect(cancel, &QPushButton::clicked, &flow, &SignInFlow::close);
    connect(signIn, &QPushButton::clicked, &flow, &SignInFlow::start);
    refresh();
}

void NamingSection::refresh() {
    // Known once the default folder's account file has been read.
    defaultRow->setVisible(flow.defaultIsFree());
    defaultBox->setChecked(flow.useDefault());
    // Signing in again keeps the account's folder, so a name would have no effect.
    nameField->setVisible(!flow.useDefault() && !flow.again());
    showText(nameBox, flow.name());
    showText(emailBox, flow.email());

    const AccountFolder::Check check = flow.folderCheck();
    const Caption caption = captionFor(check, flow.name(), flow.home());
    nameCaption->setText(caption.text);
    nameCaption->setColour(caption.colour);
    signIn->setEnabled(flow.again() || check.isOk());
}

QWidget* NamingSection::firstInput() const {
    return flow.useDefault() || flow.again() ? emailBox : nameBox;
}
