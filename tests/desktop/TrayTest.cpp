#include "DesktopSession.h"
#include "NotificationService.h"
#include "support/IconContrast.h"
#include "support/ServedHome.h"
#include "support/SpanwellProcess.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QImage>
#include <QTest>
#include <QtEndian>

namespace {

constexpr int waitMilliseconds = 15000;
const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString itemPath = QStringLiteral("/StatusNotifierItem");
const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");

// Whether `condition` comes true within the time a desktop program may take.
template <typename Condition>
bool until(Condition condition) {
    return QTest::qWaitFor(condition, waitMilliseconds);
}

// A home with one signed-in account whose limits a loopback usage service reports, and the
// real program run there.
struct Account : ServedHome {
    explicit Account(DesktopSession& desktop) {
        addAccount(QStringLiteral(".claude"), QStringLiteral("someone@example.com"), 71, 40);
        desktop.start(SpanwellProcess::path(), {},
                      desktop.environment(home.path(), server.origin()));
    }
};

// The panel: the program's one window wider than a tray item.
std::optional<QRect> panel(const DesktopSession& desktop) {
    for (const QRect& window : desktop.windows(QStringLiteral("spanwell")))
        if (window.width() > 64)
            return window;
    return std::nullopt;
}

QVariant busProperty(const QDBusConnection& bus, const QString& service, const QString& path,
                     const QString& interface, const QString& name) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        service, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << interface << name;
    // An error reply holds no value, and so an invalid variant.
    return QDBusReply<QDBusVariant>(bus.call(get)).value().variant();
}

// A menu laid out as com.canonical.dbusmenu sends it, flattened: each entry's label, "-" for
// a separator, and a submenu's entries right after its own.
void flatten(const QDBusArgument& node, QStringList& entries) {
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    if (id != 0)
        entries.append(properties.value(QStringLiteral("type")) == QStringLiteral("separator")
                           ? QStringLiteral("-")
                           : properties.value(QStringLiteral("label")).toString());
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        flatten(child.variant().value<QDBusArgument>(), entries);
    }
    node.endArray();
    node.endStructure();
}

// The images of a StatusNotifierItem, as (width, height, ARGB bytes in network order).
QList<QImage> images(const QDBusArgument& pixmaps) {
    QList<QImage> found;
    pixmaps.beginArray();
    while (!pixmaps.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        pixmaps.beginStructure();
        pixmaps >> width >> height >> bytes;
        pixmaps.endStructure();
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        if (bytes.size() == image.sizeInBytes())
            qFromBigEndian<quint32>(bytes.constData(), width * height, image.bits());
        found.append(image);
    }
    pixmaps.endArray();
    return found;
}

// The items the bus's StatusNotifierWatcher lists.
QStringList registeredItems(const QDBusConnection& bus) {
    return busProperty(bus, watcher, QStringLiteral("/StatusNotifierWatcher"), watcher,
                       QStringLiteral("RegisteredStatusNotifierItems"))
        .toStringList();
}

// The desktop's StatusNotifierItem host and its watcher, which must be there first, as the
// host registers with it; none when the watcher does not come.
QList<QProcess*> startStatusNotifierHost(DesktopSession& desktop) {
    QProcess* watching = desktop.start(QStringLiteral("status-notifier-watcher"));
    if (!until([&] { return desktop.bus().interface()->isServiceRegistered(watcher).value(); }))
        return {};
    return {desktop.start(QStringLiteral("gtk-sni-tray-standalone"), QStringLiteral("--bottom")),
            watching};
}

} // namespace

class TrayTest : public QObject {
    Q_OBJECT

private slots:
    // Started before the desktop's XEmbed tray, the program shows its window; once the tray is
    // there the item docks and the window goes. Clicked, the item opens the panel beneath it;
    // Escape closes it. When the tray goes the window stands in again, and when a
    // StatusNotifierItem host takes its place the item shows there.
    void docksInTraysThatComeAndGo() {
        DesktopSession desktop;
        QVERIFY(desktop.isReady());
        Account account(desktop);
        QVERIFY(until([&] { return panel(desktop).has_value(); }));

        QRect item;
        QProcess* tray = desktop.start(
            QStringLiteral("trayer"),
            QStringLiteral("--edge top --align right --widthtype pixel --width 100 --height 24"));
        QVERIFY(until([&] {
            const QList<QRect> windows = desktop.windows(QStringLiteral("spanwell"));
            item = windows.value(0);
            return windows.size() == 1 && item.width() <= 32 && item.bottom() < 24 &&
                   item.left() >= 1180;
        }));

        desktop.xdotool(QStringLiteral("mousemove %1 %2 click 1")
                            .arg(item.center().x())
                            .arg(item.center().y()));
        std::optional<QRect> opened;
        QVERIFY(until([&] { return (opened = panel(desktop)).has_value(); }));
        QVERIFY(opened->top() > item.bottom() && opened->right() < 1280);
        desktop.xdotool(QStringLiteral("key Escape"));
        QVERIFY(until([&] { return !panel(desktop); }));

        DesktopSession::stop(*tray);
        QVERIFY(until([&] { return panel(desktop).has_value(); }));
        QVERIFY(!startStatusNotifierHost(desktop).isEmpty());
        QVERIFY(
            until([&] { return registeredItems(desktop.bus()).size() == 1 && !panel(desktop); }));
    }

    // The desktop's StatusNotifierItem watcher and host start after the program, and again:
    // the item registers, its menu offers the program's commands, and its images read on
    // light and dark panels alike. Activated, it opens the panel at the pointer, with the
    // keyboard on the first row; Return opens that row, and the taller panel keeps its place
    // wherever the pointer has gone since.
    void registersWithAWatcherThatStartsLater() {
        DesktopSession desktop;
        QVERIFY(desktop.isReady());
        Account account(desktop);
        QVERIFY(until([&] { return panel(desktop).has_value(); }));
        const QDBusConnection bus = desktop.bus();
        QStringList items;
        for (int start = 0; start < 2; ++start) {
            const QList<QProcess*> trays = startStatusNotifierHost(desktop);
            QVERIFY(!trays.isEmpty());
            QVERIFY(until(
                [&] { return (items = registeredItems(bus)).size() == 1 && !panel(desktop); }));
            if (start == 0)
                for (QProcess* tray : trays)
                    DesktopSession::stop(*tray);
        }
        // Registered by the connection's own name, at the usual path.
        const QString item = items.first().section(QLatin1Char('/'), 0, 0);

        // Under a loaded sanitizer build the first call for the layout right after the item
        // registered once came back without it; a host asking again gets it.
        QDBusMessage layout;
        QVERIFY(until([&] {
            const QString menuPath =
                busProperty(bus, item, itemPath, itemInterface, QStringLiteral("Menu"))
                    .value<QDBusObjectPath>()
                    .path();
            layout = bus.call(QDBusMessage::createMethodCall(
                                  item, menuPath, QStringLiteral("com.canonical.dbusmenu"),
                                  QStringLiteral("GetLayout"))
                              << 0 << -1 << QStringList());
            return layout.arguments().size() == 2;
        }));
        QStringList entries;
        flatten(layout.arguments().at(1).value<QDBusArgument>(), entries);
        QCOMPARE(entries, (QStringList{"Show Panel", "Refresh Now", "Add an Account\u2026", "-",
                                       "Open at Login", "Show in Claude Code's Status Line",
                                       "Tray Icon", "Automatic", "For Light Panels",
                                       "For Dark Panels", "Notifications", "Limit Nearly Used Up",
                                       "Account Usable Again", "Weekly Limit Left Unused",
                                       "Preferences\u2026", "-", "Quit Spanwell"}));

        // Every size the item offers.
        const QList<QImage> offered =
            images(busProperty(bus, item, itemPath, itemInterface, QStringLiteral("IconPixmap"))
                       .value<QDBusArgument>());
        QVERIFY(!offered.isEmpty());
        for (const QImage& image : offered)
            QVERIFY2(IconContrast::isReadable(image, QColor(240, 240, 240)) &&
                         IconContrast::isReadable(image, QColor(32, 32, 32)),
                     qPrintable(QString::number(image.width())));

        // The tool tip (icon name, images, title, text) tells the average session use, and each
        // account's verdict.
        QVERIFY(until([&] {
            const QDBusArgument tip =
                busProperty(bus, item, itemPath, itemInterface, QStringLiteral("ToolTip"))
                    .value<QDBusArgument>();
            QString icon;
            QString title;
            tip.beginStructure();
            tip >> icon;
            images(tip);
            tip >> title;
            tip.endStructure();
            return title.endsWith(QStringLiteral(" 71%\nsomeone@example.com: Ready"));
        }));

        desktop.xdotool(QStringLiteral("mousemove 640 300"));
        bus.call(QDBusMessage::createMethodCall(item, itemPath, itemInterface,
                                                QStringLiteral("Activate"))
                 << 640 << 300);
        std::optional<QRect> opened;
        QVERIFY(until([&] { return (opened = panel(desktop)).has_value(); }));
        QVERIFY(opened->top() > 300);
        desktop.xdotool(QStringLiteral("mousemove 100 700 key Return"));
        QVERIFY(until([&] {
            const std::optional<QRect> now = panel(desktop);
            return now && now->height() > opened->height();
        }));
        QCOMPARE(panel(desktop)->topLeft(), opened->topLeft());

        // A notification's action opens the panel where the click did, by the item, wherever
        // the pointer has gone since, with its account's row open.
        NotificationService notices;
        QDBusConnection serving = desktop.bus();
        QVERIFY(serving.registerObject("/org/freedesktop/Notifications", &notices,
                                       QDBusConnection::ExportAllContents));
        QVERIFY(serving.registerService("org.freedesktop.Notifications"));
        desktop.xdotool(QStringLiteral("key Escape"));
        QVERIFY(until([&] { return !panel(desktop); }));
        account.addAccount(QStringLiteral(".claude"), QStringLiteral("someone@example.com"), 85,
                           40);
        desktop.start(SpanwellProcess::path(), QStringLiteral("--refresh"),
                      desktop.environment(account.home.path(), account.server.origin()));
        QVERIFY(until([&] { return notices.calls.size() == 1; }));
        emit notices.ActionInvoked(41, QStringLiteral("default"));
        QVERIFY(until([&] {
            const std::optional<QRect> now = panel(desktop);
            return now && now->topLeft() == opened->topLeft() && now->height() > opened->height();
        }));
    }
};

QTEST_GUILESS_MAIN(TrayTest)
#include "TrayTest.moc"
