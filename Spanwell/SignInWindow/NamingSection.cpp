#include "SignInWindow/SignInFlow.h"
#include "SignInWindow/SignInSections.h"
#include "SignInWindow/ThemedLabel.h"
#include "views/AppIcon.h"

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
        static const QImage icon = [] {
            QImage drawn(iconDrawingSize, iconDrawingSize, QImage::Format_ARGB32_Premultiplied);
            drawn.fill(Qt::transparent);
            QPainter painter(&drawn);
            AppIcon::draw(painter, iconDrawingSize);
            return drawn;
        }();
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect()), icon);
    }
};

// A check box whose text wraps: its label, beside the box, toggles it when clicked.
class CheckLabel : public ThemedLabel {
public:
    CheckLabel(const QString& text, QCheckBox* box)
        : ThemedLabel(text, checkBoxSize, Theme::Role::primaryText)
        , box(box) {
        setWrapping();
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        ThemedLabel::mouseReleaseEvent(event);
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

NamingSection::NamingSection(SignInFlow& flow, QWidget* parent)
    : SignInSection(flow, parent)
    , mainBox(new QCheckBox)
    , nameBox(textBox(QStringLiteral("work")))
    , nameCaption(new ThemedLabel(QString(), captionSize, Theme::Role::secondaryText))
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
    mainRow = checkRow(
        mainBox, QStringLiteral("Make it the main account, the one a plain claude command uses"));
    form->addWidget(mainRow);
    nameField = field(QStringLiteral("Name"), nameBox, nameCaption);
    form->addWidget(nameField);
    form->addWidget(
        field(QStringLiteral("Email"), emailBox,
              new ThemedLabel(
                  QStringLiteral("Fills in the sign-in page, so you sign in as the right account."),
                  captionSize, Theme::Role::secondaryText)));
    stack->addLayout(form);

    QPushButton* cancel = pushButton(QStringLiteral("Cancel"));
    addButtons({cancel, signIn}, cancel, signIn);

    connect(mainBox, &QCheckBox::toggled, &flow, &SignInFlow::setUseMain);
    connect(nameBox, &QLineEdit::textEdited, &flow, &SignInFlow::setName);
    connect(emailBox, &QLineEdit::textEdited, &flow, &SignInFlow::setEmail);
    connect(cancel, &QPushButton::clicked, &flow, &SignInFlow::close);
    connect(signIn, &QPushButton::clicked, &flow, &SignInFlow::start);
    refresh();
}

void NamingSection::refresh() {
    // Known once the default folder's account file has been read.
    mainRow->setVisible(flow.mainIsFree());
    mainBox->setChecked(flow.useMain());
    // Signing in again keeps the account's folder, so a name would have no effect.
    nameField->setVisible(!flow.useMain() && !flow.again());
    showText(nameBox, flow.name());
    showText(emailBox, flow.email());

    const AccountFolder::Check check = flow.folderCheck();
    const Caption caption = captionFor(check, flow.name(), flow.home());
    nameCaption->setText(caption.text);
    nameCaption->setRole(caption.colour);
    signIn->setEnabled(flow.again() || check.isOk());
}

QWidget* NamingSection::firstInput() const {
    return flow.useMain() || flow.again() ? emailBox : nameBox;
}
