#pragma once

#include "model/Instant.h"
#include "views/Expansion.h"
#include "views/PanelServices.h"

#include <QString>
#include <QWidget>

#include <optional>

class Footer;
class QVBoxLayout;
class Store;

// The panel that drops down from the tray item: a summary line, one row per tracked account,
// one short row per hidden account, and the footer. Rebuilds its rows whenever the store
// announces a change and whenever it is given a new present; which row is open survives both.
class PanelView : public QWidget {
    Q_OBJECT

public:
    static constexpr int panelWidth = 384;

    struct Options {
        // Every row open, as in a picture of the whole panel.
        bool expandAll = false;
        // The id of the row that is open until the user clicks one.
        std::optional<QString> initiallyExpanded;
        // Still look-alikes in place of the controls.
        bool renderingPicture = false;
    };

    PanelView(Store& store, Instant now, Options options, PanelServices services,
              QWidget* parent = nullptr);

    // The scene's 30-second tick: rebuild with a new present; the expansion state stays.
    void setNow(Instant now);

    // What clicking the header of the row `id` does.
    void toggle(const QString& id);

    // The panel's full width and the height its content needs at that width.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void rebuild();
    QWidget* buildContent();

    Store& store;
    Instant present;
    Expansion rows;
    bool renderingPicture;
    PanelServices services;
    QVBoxLayout* stack;
    QWidget* content = nullptr;
    Footer* footer;
};
