#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

// One key of the settings file: its name, the type of its value, and the value it has while
// the file holds none, or one that does not read as that type.
template <typename Value>
struct Setting {
    QString key;
    Value byDefault;
};

// Every key of the settings file. A new one is declared here with its type and its default,
// and read and written through `UserSettings::value` and `setValue`; its type is one that
// `SettingValue::read` reads.
namespace Settings {

// The folders of the accounts the user stopped tracking, sorted, without duplicates.
inline const Setting<QStringList> hiddenAccountFolders{QStringLiteral("hiddenAccountFolders"), {}};
// How the tray item is inked, by the name `TrayIconStyles` gives each style.
inline const Setting<QString> trayIconStyle{QStringLiteral("trayIcon"),
                                            QStringLiteral("automatic")};
// The corner of the screen the panel stands in where it cannot hang from the tray item:
// topLeft, topRight, bottomLeft or bottomRight; anything else leaves the choice to the bar.
inline const Setting<QString> panelCorner{QStringLiteral("panelCorner"), {}};
// Whether each kind of notification is on.
inline const Setting<bool> nearlyUsedUpNotifications{QStringLiteral("notifications/nearlyUsedUp"),
                                                     true};
inline const Setting<bool> usableAgainNotifications{QStringLiteral("notifications/usableAgain"),
                                                    true};
inline const Setting<bool> useItOrLoseItNotifications{QStringLiteral("notifications/useItOrLoseIt"),
                                                      false};
// How often the tray program refreshes, and from which share a limit is announced as nearly
// used up; `Preferences` knows the values offered.
inline const Setting<int> refreshMinutes{QStringLiteral("refreshMinutes"), 5};
inline const Setting<int> nearlyUsedUpPercent{QStringLiteral("notifications/nearlyUsedUpPercent"),
                                              80};
// How many days the history keeps its readings.
inline const Setting<int> historyDays{QStringLiteral("history/days"), 90};
// What was announced, which earlier versions kept here; moved to the state folder once.
inline const Setting<QByteArray> formerAnnouncements{QStringLiteral("notifications/announced"), {}};

} // namespace Settings

// A stored value as a key's type; `byDefault` when it is missing or of another type. A text
// reads as a list of one, which is how the file writes such a list.
namespace SettingValue {
bool read(const QVariant& stored, bool byDefault);
int read(const QVariant& stored, int byDefault);
QString read(const QVariant& stored, const QString& byDefault);
QStringList read(const QVariant& stored, const QStringList& byDefault);
QByteArray read(const QVariant& stored, const QByteArray& byDefault);
} // namespace SettingValue

// The user's settings file (INI), opened once by each program part that needs it and handed
// to whatever reads or writes a setting, on the thread that made it. It is read when opened,
// like every file from outside: only a regular file of at most 1 MiB (links followed). Anything
// else there (a named pipe, a device, a larger file, one that cannot be read) is left alone:
// its settings are the defaults and it is never written over, which the log says. Each change
// is kept at once and written to the file whole, beside it and renamed over it, so a link in
// its place is replaced, never followed; keys this program does not know stay as they are.
class UserSettings : public QObject {
    Q_OBJECT

public:
    // $XDG_CONFIG_HOME/Spanwell/Spanwell.conf (default ~/.config/Spanwell/Spanwell.conf).
    static QString defaultPath();

    // The file at `path`; a test hands in one of its own.
    explicit UserSettings(QString path, QObject* parent = nullptr);

    template <typename Value>
    Value value(const Setting<Value>& setting) const {
        return SettingValue::read(values.value(setting.key), setting.byDefault);
    }
    template <typename Value>
    void setValue(const Setting<Value>& setting, const Value& value) {
        change(setting.key, QVariant::fromValue(value));
    }
    template <typename Value>
    void remove(const Setting<Value>& setting) {
        change(setting.key, QVariant());
    }

signals:
    // A setting was set to another value, or removed.
    void changed(const QString& key);

private:
    // An invalid value removes the key.
    void change(const QString& key, const QVariant& value);
    void write(const QString& key, const QVariant& value);

    QString path;
    // The file is not the program's to write.
    bool leftAlone = false;
    QHash<QString, QVariant> values;
};
