#pragma once

#include "model/Instant.h"
#include "store/Entry.h"
#include "tray/TrayIconStyle.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>

class QSystemTrayIcon;
class Store;

// The tray item's face: the gauge and, when known, the average use of the accounts' session
// limits written under it, since most trays show an image and nothing else, with a mark in its
// corner when an account is blocked or nearly used up. The tool tip carries the same figure and
// a line per account with its verdict. All follow every change the store publishes, the
// desktop's light or dark palette and the chosen style.
class TrayIcon : public QObject {
    Q_OBJECT

public:
    // What the corner mark says: nothing, an account nearly used up or only partly usable
    // (yellow), or an account blocked (red).
    enum class Alert { none, nearlyUsedUp, blocked };

    // The edge lengths the image is drawn at, so that every tray finds a sharp one.
    static const QList<int> edges;

    explicit TrayIcon(Store& store, QObject* parent = nullptr);

    // Dresses `item` and keeps it dressed; the item may come long after this object, when the
    // desktop's tray starts after the program.
    void attach(QSystemTrayIcon* item);
    void setStyle(TrayIconStyle style);

    // Starts the store's refresh cycle, and shows the item once there is one; the store starts
    // only once however often this is called.
    void show();

    // The rounded average, such as "71%"; empty when there is none.
    static QString text(std::optional<double> averageSession);
    // The program, the average, then "e-mail: verdict" for each account.
    static QString toolTip(std::optional<double> averageSession, const QList<Entry>& entries,
                           Instant now);
    // The gravest of the accounts' verdicts at `now`, as the corner mark shows it.
    static Alert alert(const QList<Entry>& entries, Instant now);
    // The square image, `edge` pixels wide, on a transparent ground.
    static QImage image(std::optional<double> averageSession, int edge,
                        const TrayIconStyles::Ink& ink, Alert alert = Alert::none);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redraw();

    Store& store;
    QPointer<QSystemTrayIcon> item;
    TrayIconStyle style = TrayIconStyle::automatic;
    bool shown = false;
};
