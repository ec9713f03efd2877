#pragma once

#include "model/Instant.h"
#include "views/PanelServices.h"

#include <QUrl>
#include <QWidget>

class LinkButton;
class QMenu;
class Store;
class SymbolButton;
class TextLabel;

// The panel's last lines: an announced update, how fresh the figures are, the refresh button
// and the menu of the program's commands. Follows the store by itself.
class Footer : public QWidget {
    Q_OBJECT

public:
    // The product site the menu opens.
    static QUrl site();

    // With `renderingPicture`, the two controls are drawn as plain symbols.
    Footer(Store& store, Instant now, PanelServices services, bool renderingPicture,
           QWidget* parent = nullptr);

    void setNow(Instant now);

private:
    void showStore();
    void fillMenu();

    Store& store;
    Instant present;
    PanelServices services;
    LinkButton* updateLink;
    TextLabel* statusLabel;
    SymbolButton* refreshButton = nullptr;
    QMenu* menu = nullptr;
};
