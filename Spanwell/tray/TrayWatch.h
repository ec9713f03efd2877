#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <memory>

// Looks for a tray the item can sit in: a StatusNotifierItem host on the session bus, or an
// XEmbed tray manager on the X screen. Qt decides once per process which kind of item it makes,
// when the first item is made or the first tray question is asked, so nothing may ask Qt before
// a tray is there; this watch asks the bus and the X server itself, and keeps watching both for
// the life of the program (the desktop's panel often starts after the programs opened at login,
// and may go, come back, or be replaced by one of the other kind).
class TrayWatch : public QObject, private QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit TrayWatch(QObject* parent = nullptr);
    ~TrayWatch() override;

    // Takes the first look. Emits `absent` when it finds no tray (at most once), and `found`
    // once a tray is there, now or later; after that, the changes of the trays.
    void start();

    // Whether a StatusNotifierItem host was there when the tray was found, so that Qt made the
    // item one of the bus's.
    bool foundOnBus() const { return kind == Kind::bus; }

signals:
    void absent();
    void found();
    // After `found`: the tray of the item's kind went, and no tray is there.
    void lost();
    // After `lost`: a tray of the item's kind is there again, which Qt puts the item in.
    void back();
    // After `found`: only a tray of the other kind is there, which an item made by this process
    // can never show in.
    void otherKindOnly();
    // After `found`, when a StatusNotifierItem host registers (as hosts do when they or the
    // watcher start again) and the watcher lists no item of this process: a new watcher that
    // missed the item's registration.
    void itemMissing();

private slots:
    // The bus's StatusNotifierWatcher says a host came.
    void hostRegistered();
    // Whether the bus's StatusNotifierWatcher has a host.
    void askBus();

private:
    enum class Kind { none, bus, x11 };
    enum class State { there, lost, otherKindOnly };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void lookForItem();
    // Works out what the trays now are, and says what changed.
    void update();

    struct X11;
    std::unique_ptr<X11> x11;
    Kind kind = Kind::none;
    State state = State::there;
    bool absentTold = false;
    bool hostOnBus = false;
};
