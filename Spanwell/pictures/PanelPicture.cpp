#include "pictures/PanelPicture.h"

#include "LogCategories.h"
#include "commandline/OffscreenPlatform.h"
#include "model/DecimalInteger.h"
#include "pictures/PngEncoding.h"
#include "store/Demo.h"
#include "store/Store.h"
#include "store/UserSettings.h"
#include "views/PanelView.h"
#include "views/Theme.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <system_error>

namespace {

constexpr double pixelsPerPoint = 2;
constexpr double cornerRadius = 10;

// How far along either edge a corner of `continuousRoundedRect` bends.
double cornerReach(const QRectF& rect, double radius) {
    return std::min({1.6 * radius, rect.width() / 2, rect.height() / 2});
}

// A rounded rectangle whose corners start straight and bend gradually, without the jump in
// curvature where a circular arc meets a straight edge. Each corner is one cubic curve over
// 1.6 radii of either edge, bulging about as far as a circular corner of `radius` would.
QPainterPath continuousRoundedRect(const QRectF& rect, double radius) {
    const double reach = cornerReach(rect, radius);
    const double handle = reach * 0.25 / 1.6;
    const double left = rect.left(), top = rect.top(), right = rect.right(), bottom = rect.bottom();
    QPainterPath path(QPointF(left + reach, top));
    path.lineTo(right - reach, top);
    path.cubicTo(right - handle, top, right, top + handle, right, top + reach);
    path.lineTo(right, bottom - reach);
    path.cubicTo(right, bottom - handle, right - handle, bottom, right - reach, bottom);
    path.lineTo(left + reach, bottom);
    path.cubicTo(left + handle, bottom, left, bottom - handle, left, bottom - reach);
    path.lineTo(left, top + reach);
    path.cubicTo(left, top + handle, left + handle, top, left + reach, top);
    path.closeSubpath();
    return path;
}

// The squares of whole points at the corners of `size` in which the outline bends; between
// them it runs along the edges.
QRegion cornerSquares(const QSize& size) {
    const int side = int(std::ceil(cornerReach(QRectF(QPointF(), size), cornerRadius)));
    const int right = size.width() - side;
    const int bottom = size.height() - side;
    QRegion squares;
    for (const QPoint& corner :
         {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
        squares += QRect(corner, QSize(side, side));
    return squares;
}

// Only an open row shows its account's week.
Demo::Weeks weeksShown(const Mode& mode) {
    return mode.expandAll || mode.open ? Demo::Weeks::made : Demo::Weeks::leftOut;
}

std::unique_ptr<Store> refreshedStore(UserSettings& settings) {
    auto store = std::make_unique<Store>(StoreServices::real(), settings);
    // Each limit's week under its bar, read before the refresh ends.
    store->showRecentUse();
    QEventLoop loop;
    QObject::connect(store.get(), &Store::refreshFinished, &loop, &QEventLoop::quit);
    if (store->refresh())
        loop.exec();
    return store;
}

} // namespace

namespace PanelPicture {

std::optional<qsizetype> openedRow(const std::optional<QString>& open, qsizetype rowCount) {
    const std::optional<qint64> row = open ? DecimalInteger::parse(*open) : std::nullopt;
    if (!row || *row < 0 || *row >= rowCount)
        return std::nullopt;
    return qsizetype(*row);
}

QImage canvas(QWidget& view) {
    view.ensurePolished();
    // Its whole height, which the screen's size does not limit.
    view.resize(view.sizeHint());
    const QSize pixels = view.size() * pixelsPerPoint;
    // Zeros are transparent. Memory fresh from the system is zeros already, which calloc does
    // not write again: filling the picture made the drawing thread wait for every one of its
    // pages, which the system makes one by one as they are first written (0.8 ms for the demo
    // panel), and which the compressing threads can make meanwhile.
    if (pixels.isEmpty())
        return {};
    const qsizetype rowBytes = qsizetype(pixels.width()) * 4;
    uchar* const zeros =
        static_cast<uchar*>(std::calloc(size_t(pixels.height()), size_t(rowBytes)));
    if (!zeros)
        return {};
    QImage picture(
        zeros, pixels.width(), pixels.height(), rowBytes, QImage::Format_ARGB32_Premultiplied,
        [](void* memory) { std::free(memory); }, zeros);
    // The picture frees the memory only once it holds it.
    if (picture.isNull())
        std::free(zeros);
    picture.setDevicePixelRatio(pixelsPerPoint);
    return picture;
}

void drawBand(QWidget& view, QImage& picture, const QRect& band) {
    const QRect points(band.topLeft() / pixelsPerPoint, band.size() / pixelsPerPoint);
    // Without the window's background, which the panel covers with its own.
    view.render(&picture, points.topLeft(), QRegion(points), QWidget::DrawChildren);

    // Cleared outside the outline, in proportion along its edge so that the curves stay
    // smooth. Only the squares at the corners are cleared, each through a picture of its own
    // pixels: the painter traces a path over the whole of the picture it paints on, and tracing
    // the outline over the whole panel for every band took a fifth of the drawing.
    const QRegion corners = cornerSquares(view.size()) & points;
    if (corners.isEmpty())
        return;
    const QPainterPath cleared = outside(view.size());
    for (const QRect& square : corners) {
        const QPoint topLeft = square.topLeft() * pixelsPerPoint;
        QImage pixels(picture.scanLine(topLeft.y()) + topLeft.x() * picture.depth() / 8,
                      int(square.width() * pixelsPerPoint), int(square.height() * pixelsPerPoint),
                      picture.bytesPerLine(), picture.format());
        pixels.setDevicePixelRatio(pixelsPerPoint);
        QPainter painter(&pixels);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.translate(-square.topLeft());
        painter.fillPath(cleared, Qt::black);
    }
}

QPainterPath outside(const QSize& size) {
    const QRectF whole(QPointF(), size);
    QPainterPath path;
    path.addRect(whole);
    path.addPath(continuousRoundedRect(whole, cornerRadius));
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

} // namespace PanelPicture

namespace {

// What the picture is drawn from and onto, left for the process's end to take back.
struct Drawing {
    std::unique_ptr<UserSettings> settings;
    std::unique_ptr<Store> store;
    std::unique_ptr<PanelView> view;
    QImage picture;
};

// Builds the store (refreshed once, unless the mode asks for the demo store, whose accounts
// `demo` makes if it is valid) and the panel, and writes the picture to the mode's path.
// Failures to draw or write are not reported: the mode ends the same way. Needs the application
// object.
Drawing write(const Mode& mode, std::future<Demo::Accounts> demo) {
    const QPalette palette = (mode.dark ? Theme::dark() : Theme::light()).palette();
    QApplication::setPalette(palette);

    Drawing drawing;
    // The user's hidden accounts stay hidden in a picture of the real ones.
    if (!mode.demo)
        drawing.settings = std::make_unique<UserSettings>(UserSettings::defaultPath());
    drawing.store = !mode.demo ? refreshedStore(*drawing.settings)
                    : demo.valid()
                        ? Demo::store(demo.get())
                        : Demo::store(Demo::accounts(Instant::now(), QDir::homePath(),
                                                     Calendar::current(), weeksShown(mode)));
    const Store& store = *drawing.store;
    PanelView::Options options;
    options.expandAll = mode.expandAll;
    if (const auto row = PanelPicture::openedRow(mode.open, store.entries().size()))
        options.initiallyExpanded = store.entries().at(*row).id();
    options.renderingPicture = true;
    // Nothing in a picture can be clicked, so the panel needs none of the outside services.
    drawing.view =
        std::make_unique<PanelView>(*drawing.store, Instant::now(), options, PanelServices{});
    PanelView& view = *drawing.view;
    view.setPalette(palette);
    // The mode ends with 0 whatever happens; a file that could not be written is only logged.
    const auto drawn = [&view](QImage& picture, const QRect& band) {
        PanelPicture::drawBand(view, picture, band);
    };
    drawing.picture = PanelPicture::canvas(view);
    if (const RegularFile::Written written = PngEncoding::write(drawing.picture, drawn, mode.path);
        !written)
        qCWarning(picturesLog).noquote()
            << QStringLiteral("The panel picture could not be written to %1: %2")
                   .arg(mode.path, written.failure);
    return drawing;
}

} // namespace

namespace PanelPicture {

int run(int& argc, char** argv, const Mode& mode) {
    // The mode reports nothing, not even what Qt would say about the session it runs in.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    OffscreenPlatform::chooseUnlessSet();
    // Making up the accounts' weeks takes half as long as the application's start, which needs
    // this thread: they are made meanwhile. Without them, the accounts take no time worth a
    // thread, which waking the other processor took up to 2 ms to start.
    std::future<Demo::Accounts> demo;
    if (mode.demo && weeksShown(mode) == Demo::Weeks::made) {
        try {
            demo = std::async(std::launch::async, [now = Instant::now(), home = QDir::homePath()] {
                return Demo::accounts(now, home);
            });
        } catch (const std::system_error&) {
            // Made on this thread once the application has started.
        }
    }
    // Qt fills the footer's symbols on threads of its global pool and waits for them. The pool
    // started with the first fill, and that fill took 0.2 to 0.6 ms, mostly for its thread to
    // start; started now, while the module's application starts, it took 0.1 to 0.3 ms.
    QThreadPool::globalInstance()->start([] {});
    QApplication application(argc, argv);
    const Drawing drawn = write(mode, std::move(demo));
#ifndef __SANITIZE_ADDRESS__
    // The picture is written and the mode says nothing more. Taking the panel, the application
    // and the libraries down one by one took a twentieth of the mode's time, for memory the
    // system takes back whole as the process ends; builds that look for leaks still do it.
    std::fflush(nullptr);
    std::_Exit(0);
#endif
    return 0;
}

} // namespace PanelPicture
