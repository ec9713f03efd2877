#pragma once

#include "model/Instant.h"
#include "views/Expansion.h"
#include "views/PanelServices.h"

#include <QString>
#include <QWidget>

#include <optional>

class Footer;
class QScrollArea;
class QVBoxLayout;
class Store;

// The panel that drops down from the tray item: a summary line, one row per tracked account,
// one short row per hidden account, and the footer. Rebuilds its rows whenever the store
// announces a change and whenever it is given a new present; which row is open, and which
// control has the keyboard, survive both. Given less height than it asks for, the rows scroll
// between the summary and the footer. Tab goes through the controls in the order they are
// drawn; Up and Down go from row to row.
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
        // A one-pixel line round the panel in the palette's mid tone, so that a popup does not
        // melt into a desktop of the same colour.
        bool bordered = false;
    };

    PanelView(Store& store, Instant now, Options options, PanelServices services,
              QWidget* parent = nullptr);

    // The tray program's 30-second tick: rebuild with a new present; the expansion state stays.
    void setNow(Instant now);

    // What clicking the header of the row `id` does.
    void toggle(const QString& id);

    // Gives the keyboard to the first account row, or to the first control when there is none.
    void focusFirst();
    // Opens the row `id` and gives it the keyboard, in sight; the first row's when there is
    // no such row.
    void showRow(const QString& id);

    // The panel's full width and the height its whole content needs at that width.
    QSize sizeHint() const override;

signals:
    // The height the content needs may have changed.
    void contentChanged();
    void hidden();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Return and Enter press the focused button, as Space does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rebuild();
    QWidget* buildHead();
    QWidget* buildRows();
    // Makes Tab follow the order in which the controls are drawn.
    void chainFocus();

    Store& store;
    Instant present;
    Expansion rows;
    bool renderingPicture;
    int border;
    PanelServices services;
    QVBoxLayout* stack;
    QScrollArea* scroller;
    QWidget* head = nullptr;
    Footer* footer;
};
