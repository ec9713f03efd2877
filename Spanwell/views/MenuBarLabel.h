#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class QSystemTrayIcon;
class Store;

// The tray item's face: the gauge and, when known, the average use of the accounts' session
// limits written under it, since most trays show an image and nothing else. The tool tip
// carries the same figure. Both follow every change the store publishes and the desktop's
// light or dark palette.
class MenuBarLabel : public QObject {
    Q_OBJECT

public:
    // The edge lengths the image is drawn at, so that every tray finds a sharp one.
    static const QList<int> edges;

    MenuBarLabel(Store& store, QSystemTrayIcon& item, QObject* parent = nullptr);

    // Shows the item where the desktop has a tray, and starts the store's refresh cycle
    // either way; the store starts only once however often this is called.
    void show();

    // The rounded average, such as "71%"; empty when there is none.
    static QString text(std::optional<double> averageSession);
    static QString toolTip(std::optional<double> averageSession);
    // The square image, `edge` pixels wide, drawn in `ink` on a transparent ground.
    static QImage image(std::optional<double> averageSession, int edge, const QColor& ink);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redraw();

    Store& store;
    QSystemTrayIcon& item;
};
