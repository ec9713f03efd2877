#include "DesktopSession.h"
#include "support/ServedHome.h"
#include "support/SpanwellProcess.h"

#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <linux/input-event-codes.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-virtual-pointer-unstable-v1-client-protocol.h>

namespace {

// sway refuses to run as root; as root, the desktop runs as this account, which scripts/setup
// makes and which owns nothing but the test's throw-away folders.
const char* const desktopUser = "spanwell-test";
const QRect screenArea(0, 0, 1280, 800);
constexpr int barHeight = 30;

// Headless sway with waybar holding the tray and a module that runs `spanwell --status`, mako
// and a session bus, in a runtime folder of their own, and the program itself; as an
// unprivileged user when the test runs as root. Everything it started ends when it goes. A
// pointer of the test's own drives it, as the compositor has no device of its own.
struct WaylandDesktop {
    QTemporaryDir runtime;
    QProcessEnvironment environment;
    QStringList asUser;
    QList<QProcess*> started;
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
    zwlr_virtual_pointer_v1* pointer = nullptr;

    WaylandDesktop(ServedHome& account, const QString& barPosition) {
        const QString folder = runtime.path();
        // Copied where the desktop's user can reach it, wherever the build is.
        for (const char* file :
             {"/bin/spanwell", "/bin/" SPANWELL_FULL_MODULE, "/bin/" SPANWELL_HISTORY_MODULE,
              "/bin/" SPANWELL_NETWORK_MODULE}) {
            const QString path = QDir::cleanPath(folder + file);
            QDir().mkpath(QFileInfo(path).path());
            QFile::copy(QDir::cleanPath(QCoreApplication::applicationDirPath() + "/.." + file),
                        path);
        }
        const auto write = [&](const QString& name, const QString& contents) {
            QFile file(runtime.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(contents.toUtf8()) > 0;
        };
        write("sway.conf", "output HEADLESS-1 resolution 1280x800\nxwayland disable\n");
        write("waybar.css", "* { font: 13px DejaVu Sans; } #tray { padding: 0; }");
        write("waybar.json", QString(R"({"position": "%1", "height": 30, "modules-right": ["tray"],
            "modules-left": ["custom/spanwell"], "tray": {"icon-size": 20}, "custom/spanwell":
            {"exec": "%2/bin/spanwell --status --waybar --max-age 300 | tee -a %2/module.out",
             "return-type": "json", "interval": 5}})")
                                 .arg(barPosition, folder));
        if (::getuid() == 0) {
            if (!::getpwnam(desktopUser))
                return;
            asUser = QString("setpriv --reuid=%1 --regid=%1 --clear-groups --pdeathsig=TERM")
                         .arg(desktopUser)
                         .split(' ');
            QProcess::execute("chown", {"-R", desktopUser, folder, account.home.path()});
        }
        environment = SpanwellProcess::environment(account.home.path(), account.server.origin());
        const QString bus = "unix:path=" + folder + "/bus";
        for (const QString& variable :
             QStringList{"XDG_SESSION_TYPE=wayland", "NO_AT_BRIDGE=1", "WLR_BACKENDS=headless",
                         "WLR_RENDERER=pixman", "XDG_RUNTIME_DIR=" + folder,
                         "DBUS_SESSION_BUS_ADDRESS=" + bus, "WAYLAND_DISPLAY=wayland-1",
                         "SWAYSOCK=" + folder + "/sway.sock"})
            environment.insert(variable.section('=', 0, 0), variable.section('=', 1));
        start({"dbus-daemon", "--session", "--nofork", "--address=" + bus});
        start({"sway", "-d", "-c", folder + "/sway.conf"}, "sway.log");
        if (QTest::qWaitFor([&] { return QFile::exists(folder + "/sway.sock"); }))
            addPointer(folder + "/wayland-1");
        start(
            {"waybar", "-l", "debug", "-c", folder + "/waybar.json", "-s", folder + "/waybar.css"},
            "waybar.log");
        start({"mako"});
        start({folder + "/bin/spanwell"});
    }
    // The last started first: the programs before the compositor and the bus they need.
    ~WaylandDesktop() {
        for (void* proxy : {static_cast<void*>(pointer), static_cast<void*>(pointers),
                            static_cast<void*>(seat), static_cast<void*>(registry)})
            if (proxy)
                wl_proxy_destroy(static_cast<wl_proxy*>(proxy));
        if (display)
            wl_display_disconnect(display);
        for (; !started.isEmpty(); delete started.takeLast())
            DesktopSession::stop(*started.last());
    }

    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t) {
        auto* self = static_cast<WaylandDesktop*>(data);
        if (interface == QByteArray(wl_seat_interface.name))
            self->seat =
                static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        else if (interface == QByteArray(zwlr_virtual_pointer_manager_v1_interface.name))
            self->pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
    void addPointer(const QString& socket) {
        static const wl_registry_listener listener{&global, [](void*, wl_registry*, uint32_t) {}};
        display = wl_display_connect(qPrintable(socket));
        if (!display)
            return;
        registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &listener, this);
        if (wl_display_roundtrip(display) >= 0 && seat && pointers)
            pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(pointers, seat);
        wl_display_roundtrip(display);
    }
    // The compositor draws the pointer into the screen's pictures.
    void movePointer(QPoint point, bool click = false) {
        zwlr_virtual_pointer_v1_motion_absolute(pointer, 0, point.x(), point.y(),
                                                screenArea.width(), screenArea.height());
        zwlr_virtual_pointer_v1_frame(pointer);
        for (const auto state :
             {WL_POINTER_BUTTON_STATE_PRESSED, WL_POINTER_BUTTON_STATE_RELEASED}) {
            if (click)
                zwlr_virtual_pointer_v1_button(pointer, 0, BTN_LEFT, state);
            zwlr_virtual_pointer_v1_frame(pointer);
        }
        wl_display_roundtrip(display);
    }

    QByteArray read(const QString& name) const {
        QFile file(runtime.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Ended with the test program, however that ends; `log` takes what it prints.
    QProcess& start(QStringList command, const QString& log = {}) {
        command = asUser + command;
        auto* process = started.emplace_back(new QProcess);
        process->setProcessEnvironment(environment);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->setStandardOutputFile(log.isEmpty() ? QProcess::nullDevice()
                                                     : runtime.filePath(log));
        process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process->start(command.takeFirst(), command);
        return *process;
    }
    QByteArray run(const QStringList& command) {
        start(command, "tool.out").waitForFinished();
        return read("tool.out");
    }
    QImage screen() {
        run({"grim", runtime.filePath("screen.png")});
        return QImage(runtime.filePath("screen.png")).convertToFormat(QImage::Format_RGB32);
    }
};

// Where two pictures of the screen differ, within `area`.
QRect changed(const QImage& before, const QImage& after, const QRect& area) {
    QRect found;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (before.pixel(x, y) != after.pixel(x, y))
                found |= QRect(x, y, 1, 1);
    return found;
}

} // namespace

class WaylandTrayTest : public QObject {
    Q_OBJECT

private slots:
    // With the bar at the top or the bottom, the tray item opens the panel in the corner beside
    // the tray, on the compositor's top layer rather than as a window, with the keyboard;
    // Escape closes it. The bar's module reads the program's status line.
    void opensTheLayerPanelBesideTheBar_data() {
        QTest::addColumn<QString>("position");
        QTest::newRow("bar at the top") << "top";
        QTest::newRow("bar at the bottom") << "bottom";
    }
    void opensTheLayerPanelBesideTheBar() {
        QFETCH(QString, position);
        for (const char* tool : {"sway", "waybar", "mako", "grim", "wtype", "dbus-daemon"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP(qPrintable(
                    QString("%1 is not installed (scripts/setup installs it)").arg(tool)));
        ServedHome account;
        account.addAccount(".claude", "someone@example.com", 71, 40);
        WaylandDesktop desktop(account, position);
        QVERIFY2(desktop.pointer, "sway did not start; as root, scripts/setup makes its user");

        QTRY_VERIFY_WITH_TIMEOUT(desktop.read("module.out").contains('\n'), 15000);
        const QByteArray line = desktop.read("module.out").split('\n').first();
        QVERIFY(QJsonDocument::fromJson(line)["text"].toString().startsWith("1/1"));
        QVERIFY(!desktop.read("waybar.log").contains("[error] custom/spanwell"));

        // The workspace's area, which is what the bar leaves free.
        QTRY_VERIFY(desktop.run({"swaymsg", "-t", "get_workspaces"}).contains(R"("height": 770)"));
        const bool atTop = position == "top";
        const QRect free(0, atTop ? barHeight : 0, screenArea.width(),
                         screenArea.height() - barHeight);
        const QPoint item(screenArea.right() - 10, atTop ? 15 : screenArea.bottom() - 15);
        // Between clicks the pointer rests on the bar's empty middle, where no tool tip shows.
        const QPoint rest(screenArea.center().x(), item.y());
        desktop.movePointer(rest);
        const QImage before = desktop.screen();
        QRect panel;
        // Clicked again while waybar has yet to show the item.
        const auto opened = [&] {
            desktop.movePointer(item, true);
            desktop.movePointer(rest);
            return QTest::qWaitFor(
                [&] { return (panel = changed(before, desktop.screen(), free)).height() > 100; },
                2000);
        };
        QVERIFY(QTest::qWaitFor(opened, 15000));
        QCOMPARE(panel.right(), screenArea.right());
        QCOMPARE(atTop ? panel.top() : panel.bottom(), atTop ? free.top() : free.bottom());
        QVERIFY(desktop.read("sway.log").contains("new layer surface: namespace spanwell layer 2"));
        QVERIFY(!desktop.run({"swaymsg", "-t", "get_tree"}).contains("spanwell"));

        // A keyboard that comes before the key and stays after it, so that Escape, not the
        // keyboard's going, closes the panel.
        desktop.start({"wtype", "-s", "500", "-k", "Escape", "-s", "10000"});
        QTRY_VERIFY(changed(before, desktop.screen(), free).isEmpty());
    }
};

QTEST_GUILESS_MAIN(WaylandTrayTest)
#include "WaylandTrayTest.moc"
