#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <memory>

// Looks for a tray the item can sit in: a StatusNotifierItem host on the session bus, or an
// XEmbed tray manager on the X screen. Qt decides once per process which kind of item it makes,
// when the first item is made or the first tray question is asked, so nothing may ask Qt before
// a tray is there; this watch asks the bus and the X server itself, and keeps watching both
// until a tray turns up (the desktop's panel often starts after the programs opened at login).
class TrayWatch : public QObject, private QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit TrayWatch(QObject* parent = nullptr);
    ~TrayWatch() override;

    // Takes the first look. Emits `absent` when it finds no tray (at most once), and `found`
    // once a tray is there, now or later.
    void start();

    // Whether a StatusNotifierItem host was there when the tray was found, so that Qt made the
    // item one of the bus's.
    bool foundOnBus() const { return hostOnBus; }

signals:
    void absent();
    void found();
    // After `found`, when a StatusNotifierItem host registers (as hosts do when they or the
    // watcher start again) and the watcher lists no item of this process: a new watcher that
    // missed the item's registration.
    void itemMissing();

private slots:
    // The bus's StatusNotifierWatcher says a host came.
    void hostRegistered();

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void askBus();
    void lookForItem();
    void answered(bool hostIsThere);
    void settle(bool trayIsThere);

    struct X11;
    std::unique_ptr<X11> x11;
    bool watching = false;
    bool absentTold = false;
    bool hostOnBus = false;
};
