#include "views/MenuBarLabel.h"

#include "model/Format.h"
#include "store/Store.h"
#include "views/Symbols.h"
#include "views/Typography.h"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <algorithm>

namespace {

// With a figure, the gauge takes the top half and the figure the rest, below a thin gap.
constexpr double gaugeShare = 0.5;
constexpr double gapShare = 0.06;

// `text` as a filled outline, as large as fits `box` and centred in it: at tray sizes every
// pixel of height counts, and a font's own line height would waste some.
QPainterPath fitted(const QString& text, const QRectF& box) {
    QPainterPath path;
    path.addText(0, 0, Typography::font(100, QFont::Bold), text);
    const QRectF bounds = path.boundingRect();
    const double scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
    QTransform placing;
    placing.translate(box.center().x(), box.center().y());
    placing.scale(scale, scale);
    placing.translate(-bounds.center().x(), -bounds.center().y());
    return placing.map(path);
}

QColor desktopInk() {
    return QGuiApplication::palette().color(QPalette::WindowText);
}

} // namespace

const QList<int> MenuBarLabel::edges{16, 22, 24, 32, 48, 64};

MenuBarLabel::MenuBarLabel(Store& store, QSystemTrayIcon& item, QObject* parent)
    : QObject(parent)
    , store(store)
    , item(item) {
    connect(&store, &Store::entriesChanged, this, &MenuBarLabel::redraw);
    connect(&store, &Store::lastRefreshChanged, this, &MenuBarLabel::redraw);
    qApp->installEventFilter(this);
    redraw();
}

void MenuBarLabel::show() {
    if (QSystemTrayIcon::isSystemTrayAvailable())
        item.show();
    store.start();
}

QString MenuBarLabel::text(std::optional<double> averageSession) {
    return averageSession ? Format::percent(*averageSession) : QString();
}

QString MenuBarLabel::toolTip(std::optional<double> averageSession) {
    if (!averageSession)
        return QStringLiteral("Spanwell");
    return QStringLiteral("Spanwell  ·  average session use ") + text(averageSession);
}

QImage MenuBarLabel::image(std::optional<double> averageSession, int edge, const QColor& ink) {
    QImage image(edge, edge, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!averageSession) {
        Symbols::paint(painter, QStringLiteral("gauge.with.needle"), QRectF(0, 0, edge, edge), ink,
                       QFont::DemiBold);
        return image;
    }
    const double gauge = edge * gaugeShare;
    Symbols::paint(painter, QStringLiteral("gauge.with.needle"),
                   QRectF((edge - gauge) / 2, 0, gauge, gauge), ink, QFont::DemiBold);
    const double top = gauge + edge * gapShare;
    painter.fillPath(fitted(text(averageSession), QRectF(0, top, edge, edge - top)), ink);
    return image;
}

bool MenuBarLabel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        redraw();
    return QObject::eventFilter(watched, event);
}

void MenuBarLabel::redraw() {
    const std::optional<double> average = store.averageSession();
    const QColor ink = desktopInk();
    QIcon icon;
    for (const int edge : edges)
        icon.addPixmap(QPixmap::fromImage(image(average, edge, ink)));
    item.setIcon(icon);
    item.setToolTip(toolTip(average));
}
