#include "signin/Spinner.h"

#include "views/Theme.h"

#include <QPainter>

namespace {

constexpr int diameter = 16;
constexpr double lineWidth = 2;
constexpr int stepDegrees = 30;
constexpr int stepMilliseconds = 80;
// How much of the circle the arc covers, in Qt's sixteenths of a degree.
constexpr int arcSpan = 100 * 16;

} // namespace

Spinner::Spinner(QWidget* parent)
    : QWidget(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    turn.setInterval(stepMilliseconds);
    connect(&turn, &QTimer::timeout, this, [this] {
        angle = (angle + stepDegrees) % 360;
        update();
    });
}

QSize Spinner::sizeHint() const {
    return {diameter, diameter};
}

void Spinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme theme = Theme::of(this);
    const QRectF circle =
        QRectF(rect()).adjusted(lineWidth / 2, lineWidth / 2, -lineWidth / 2, -lineWidth / 2);
    painter.setPen(QPen(theme.separator, lineWidth));
    painter.drawEllipse(circle);
    painter.setPen(QPen(theme.secondaryText, lineWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(circle, -angle * 16, arcSpan);
}

void Spinner::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    turn.start();
}

void Spinner::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    turn.stop();
}
