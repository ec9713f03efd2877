#include "tray/TrayIcon.h"

#include "model/Format.h"
#include "model/PrintableText.h"
#include "store/EntryStatus.h"
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

// With a figure, the gauge takes the top part and the figure the rest, below a thin gap.
constexpr double gaugeShare = 0.4;
constexpr double gapShare = 0.04;
// The percent sign beside the digits, as a share of their height: the digits carry the news.
constexpr double percentSignShare = 0.62;
// The plate's margin round the glyph, as a share of the edge, and at least a pixel.
constexpr double plateShare = 1.0 / 16;
// The gauge's outer circle, as a share of its box; the symbol's own proportion.
constexpr double gaugeRadiusShare = 0.48;
// The corner mark's width as a share of the edge, and the clear ring round it.
constexpr double markShare = 0.3;
constexpr double markRingShare = 0.08;
// The panel's own red and yellow, which read on light and dark panels beside their ring.
const QColor markRed(255, 59, 48);
const QColor markYellow(255, 204, 0);

QPainterPath textPath(const QString& text) {
    QPainterPath path;
    path.addText(0, 0, Typography::font(100, QFont::Bold), text);
    return path;
}

// The figure, such as 71%, as an outline as large as fits `box` and centred in it: the digits
// as tall as they can be, the percent sign smaller and level with their tops. At tray sizes
// every pixel of height counts, and a font's own line height would waste some.
QPainterPath figure(const QString& digits, const QRectF& box) {
    QPainterPath path = textPath(digits);
    const QRectF digitBounds = path.boundingRect();
    QPainterPath sign = textPath(QStringLiteral("%"));
    const QRectF signBounds = sign.boundingRect();
    QTransform signPlacing;
    signPlacing.translate(digitBounds.right() + digitBounds.height() * 0.08, digitBounds.top());
    signPlacing.scale(percentSignShare, percentSignShare);
    signPlacing.translate(-signBounds.left(), -signBounds.top());
    path.addPath(signPlacing.map(sign));

    const QRectF bounds = path.boundingRect();
    const double scale = std::min(box.width() / bounds.width(), box.height() / bounds.height());
    QTransform placing;
    placing.translate(box.center().x(), box.center().y());
    placing.scale(scale, scale);
    placing.translate(-bounds.center().x(), -bounds.center().y());
    return placing.map(path);
}

struct Drawing {
    QPainterPath glyph;
    // What a plate of the opposite tone goes under.
    QPainterPath plate;
};

Drawing drawing(std::optional<double> averageSession, const QRectF& box, double margin) {
    const QString gauge = QStringLiteral("gauge.with.needle");
    Drawing shape;
    const auto addGauge = [&](const QRectF& area) {
        shape.glyph.addPath(Symbols::path(gauge, area, QFont::DemiBold));
        const double radius = std::min(area.width(), area.height()) * gaugeRadiusShare + margin;
        shape.plate.addEllipse(area.center(), radius, radius);
    };
    if (!averageSession) {
        addGauge(box);
        return shape;
    }
    const double gaugeHeight = box.height() * gaugeShare;
    addGauge(QRectF(box.x(), box.y(), box.width(), gaugeHeight));
    const double top = box.y() + gaugeHeight + box.height() * gapShare;
    const QString digits = QString::number(qRound64(std::clamp(*averageSession, 0.0, 999.0)));
    const QPainterPath number =
        figure(digits, QRectF(box.x(), top, box.width(), box.bottom() - top));
    shape.glyph.addPath(number);
    shape.plate.addRoundedRect(number.boundingRect().adjusted(-margin, -margin, margin, margin),
                               margin * 1.5, margin * 1.5);
    shape.plate.setFillRule(Qt::WindingFill);
    return shape;
}

} // namespace

const QList<int> TrayIcon::edges{16, 22, 24, 32, 48, 64};

TrayIcon::TrayIcon(Store& observed, QObject* parent)
    : QObject(parent)
    , store(observed) {
    connect(&store, &Store::entriesChanged, this, &TrayIcon::redraw);
    connect(&store, &Store::lastRefreshChanged, this, &TrayIcon::redraw);
    qApp->installEventFilter(this);
}

void TrayIcon::attach(QSystemTrayIcon* trayItem) {
    item = trayItem;
    redraw();
    if (shown)
        item->show();
}

void TrayIcon::setStyle(TrayIconStyle chosen) {
    style = chosen;
    redraw();
}

void TrayIcon::show() {
    shown = true;
    if (item)
        item->show();
    store.start();
}

QString TrayIcon::text(std::optional<double> averageSession) {
    return averageSession ? Format::percent(*averageSession) : QString();
}

QString TrayIcon::toolTip(std::optional<double> averageSession, const QList<Entry>& entries,
                          Instant now) {
    QString tip = QStringLiteral("Spanwell");
    if (averageSession)
        tip += QStringLiteral("  ·  average session use ") + text(averageSession);
    for (const Entry& entry : entries)
        tip += QLatin1Char('\n') + PrintableText::escaped(entry.account.email) +
               QStringLiteral(": ") + EntryStatus::verdict(entry, now).text;
    return tip;
}

TrayIcon::Alert TrayIcon::alert(const QList<Entry>& entries, Instant now) {
    Alert gravest = Alert::none;
    for (const Entry& entry : entries) {
        const AccountStatus verdict = EntryStatus::verdict(entry, now);
        if (verdict.level == AccountStatus::Level::blocked)
            return Alert::blocked;
        const QList<LimitReading> limits = EntryStatus::currentLimits(entry, now);
        if (verdict.level == AccountStatus::Level::partial ||
            std::any_of(limits.begin(), limits.end(), [](const LimitReading& limit) {
                return limit.coversWholeAccount() && limit.percent >= runningOutPercent;
            }))
            gravest = Alert::nearlyUsedUp;
    }
    return gravest;
}

QImage TrayIcon::image(std::optional<double> averageSession, int edge,
                       const TrayIconStyles::Ink& ink, Alert alert) {
    QImage image(edge, edge, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool plated = ink.halo.alpha() > 0;
    const double margin = plated ? std::max(1.0, edge * plateShare) : 0.0;
    const Drawing shape =
        drawing(averageSession, QRectF(0, 0, edge, edge).adjusted(margin, margin, -margin, -margin),
                margin);
    if (plated)
        painter.fillPath(shape.plate, ink.halo);
    painter.fillPath(shape.glyph, ink.glyph);
    if (alert == Alert::none)
        return image;
    // In the top right corner, clear of the glyph by a ring: of the halo's tone where there is
    // one, else of the panel itself.
    const double mark = std::max(5.0, edge * markShare);
    const double ring = std::max(1.0, edge * markRingShare);
    const QRectF spot(edge - mark, 0, mark, mark);
    const QRectF ringed = spot.adjusted(-ring, -ring, ring, ring);
    if (plated) {
        painter.setBrush(ink.halo);
    } else {
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setBrush(Qt::black);
    }
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(ringed);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(alert == Alert::blocked ? markRed : markYellow);
    painter.drawEllipse(spot);
    return image;
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange)
        redraw();
    return QObject::eventFilter(watched, event);
}

void TrayIcon::redraw() {
    if (!item)
        return;
    const std::optional<double> average = store.averageSession();
    const TrayIconStyles::Ink ink = TrayIconStyles::ink(style, QGuiApplication::palette());
    const Alert marked = alert(store.entries(), store.now());
    QIcon icon;
    for (const int edge : edges)
        icon.addPixmap(QPixmap::fromImage(image(average, edge, ink, marked)));
    item->setIcon(icon);
    item->setToolTip(toolTip(average, store.entries(), store.now()));
}
