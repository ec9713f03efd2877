#pragma once

#include "tray/PanelPlacement.h"

#include <QObject>

#include <functional>
#include <optional>

class LocalConnection;
class QTimer;

// Where the bars stand on the output the user works on, where the compositor tells: sway, over
// the socket SWAYSOCK names, gives each workspace's area, which is what its bars leave free.
// Asked each time the panel opens, since a bar may come, go or move at any time.
class BarPosition : public QObject {
    Q_OBJECT

public:
    explicit BarPosition(QObject* parent = nullptr);

    // Calls `answered` once sway has answered, or at once where no sway runs, or after a short
    // while when it does not answer; a question still open is answered only by the new one.
    void ask(std::function<void()> answered);
    // The focused output and what its bars leave free, as sway last told; none before.
    std::optional<PanelPlacement::Screen> screen() const { return focused; }

private:
    void read();
    void finish();

    // While a question is open.
    LocalConnection* connection = nullptr;
    QTimer* patience;
    std::function<void()> waiting;
    QByteArray reply;
    std::optional<PanelPlacement::Screen> focused;
};
