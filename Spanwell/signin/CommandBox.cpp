#include "signin/CommandBox.h"

#include "views/Theme.h"
#include "views/Typography.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double fontSize = 12;
constexpr int horizontalPadding = 8;
constexpr int verticalPadding = 5;
constexpr int mostLines = 2;
constexpr double cornerRadius = 5;
constexpr double outlineWidth = 1;
constexpr double outlineOpacity = 0.15;

} // namespace

CommandBox::CommandBox(const QString& command, QWidget* parent)
    : QWidget(parent)
    , text(new QLabel(command)) {
    text->setTextFormat(Qt::PlainText);
    text->setFont(Typography::monospaced(fontSize));
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    text->setSizePolicy(policy);
    text->setMaximumHeight(mostLines * text->fontMetrics().lineSpacing());
    text->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding,
                               verticalPadding);
    layout->addWidget(text);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QString CommandBox::command() const {
    return text->text();
}

void CommandBox::paintEvent(QPaintEvent*) {
    const Theme theme = Theme::of(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath box;
    box.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(box, theme.textBackground);

    QColor outline = theme.primaryText;
    outline.setAlphaF(float(outline.alphaF() * outlineOpacity));
    const double inset = outlineWidth / 2;
    QPainterPath edge;
    edge.addRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), cornerRadius - inset,
                        cornerRadius - inset);
    painter.strokePath(edge, QPen(outline, outlineWidth));
}
