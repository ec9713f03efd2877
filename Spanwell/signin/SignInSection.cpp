#include "signin/SignInSection.h"

#include "views/TextLabel.h"
#include "views/Typography.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int sectionSpacing = 16;
constexpr int headerSpacing = 12;
constexpr int headerTextSpacing = 4;
constexpr double titleSize = 15;
constexpr double explanationSize = 12;
constexpr int fieldSpacing = 10;
constexpr int fieldLabelColumn = 44;
constexpr double fieldLabelSize = 12;
constexpr int captionSpacing = 4;
constexpr int buttonSpacing = 8;

} // namespace

SignInSection::SignInSection(SignInFlow& shown, QWidget* parent)
    : QWidget(parent)
    , flow(shown)
    , stack(new QVBoxLayout(this)) {
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(sectionSpacing);
}

SignInSection::Header SignInSection::addHeader(QWidget* picture, const QString& title,
                                               const QString& explanation) {
    auto* row = new QHBoxLayout;
    row->setSpacing(headerSpacing);
    picture->setFixedWidth(pictureColumn);
    row->addWidget(picture, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(headerTextSpacing);
    auto* titleLabel = new TextLabel(title, Typography::font(titleSize, QFont::DemiBold),
                                     Theme::Role::primaryText);
    titleLabel->setWrapping();
    auto* explanationLabel =
        new TextLabel(explanation, Typography::font(explanationSize), Theme::Role::secondaryText);
    explanationLabel->setWrapping();
    texts->addWidget(titleLabel);
    texts->addWidget(explanationLabel);
    row->addLayout(texts, 1);
    stack->addLayout(row);
    return {texts, explanationLabel};
}

QWidget* SignInSection::field(const QString& label, QWidget* content, TextLabel* caption) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(fieldSpacing);

    auto* name = new TextLabel(label, Typography::font(fieldLabelSize), Theme::Role::primaryText);
    name->setFixedWidth(fieldLabelColumn);
    name->setAlignment(Qt::AlignTrailing | Qt::AlignTop);
    // Lowered until its baseline meets that of the first line of the content.
    const QFontMetrics contentMetrics(content->font());
    const QFontMetrics labelMetrics(name->font());
    const int contentBaseline =
        (content->sizeHint().height() - contentMetrics.height()) / 2 + contentMetrics.ascent();
    name->setContentsMargins(0, std::max(0, contentBaseline - labelMetrics.ascent()), 0, 0);
    layout->addWidget(name, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(captionSpacing);
    column->addWidget(content);
    caption->setWrapping();
    column->addWidget(caption);
    layout->addLayout(column, 1);
    return row;
}

QWidget* SignInSection::firstInput() const {
    return defaultKey;
}

QPushButton* SignInSection::pushButton(const QString& text) {
    auto* button = new QPushButton(text);
    button->setFont(Typography::font(controlTextSize));
    // The section decides which button answers Return, never the focus.
    button->setAutoDefault(false);
    return button;
}

QLineEdit* SignInSection::textBox(const QString& placeholder) {
    auto* box = new QLineEdit;
    box->setFont(Typography::font(controlTextSize));
    box->setPlaceholderText(placeholder);
    return box;
}

void SignInSection::addButtons(std::initializer_list<QPushButton*> buttons, QPushButton* cancel,
                               QPushButton* accept) {
    auto* row = new QHBoxLayout;
    row->setSpacing(buttonSpacing);
    row->addStretch(1);
    for (QPushButton* button : buttons)
        row->addWidget(button);
    stack->addLayout(row);
    cancelKey = cancel;
    defaultKey = accept;
    // Drawn as the default, so the user sees what Return does.
    if (accept)
        accept->setDefault(true);
}

void SignInSection::showText(QLineEdit* box, const QString& text) {
    if (box->text() != text)
        box->setText(text);
}
