#include "views/Footer.h"

#include "store/Store.h"
#include "views/LinkButton.h"
#include "views/MenuCommands.h"
#include "views/PanelText.h"
#include "views/SymbolButton.h"
#include "views/SymbolView.h"
#include "views/TextLabel.h"
#include "views/Typography.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

namespace {

constexpr int lineSpacing = 6;
constexpr int controlSpacing = 10;
constexpr double textSize = 11;
constexpr double symbolSize = 13;

const QString refreshSymbol = QStringLiteral("arrow.clockwise");
const QString menuSymbol = QStringLiteral("ellipsis.circle");

// A menu item shows its text as written; a "&" would otherwise mark a shortcut letter.
QString itemText(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

QUrl Footer::site() {
    return QUrl(QStringLiteral("https://spanwell.app"));
}

Footer::Footer(Store& observed, Instant now, PanelServices panelServices, bool renderingPicture,
               QWidget* parent)
    : QWidget(parent)
    , store(observed)
    , present(now)
    , services(std::move(panelServices))
    , updateLink(new LinkButton(QString(), textSize))
    , statusLabel(
          new TextLabel(QString(), Typography::font(textSize), Theme::Role::secondaryText)) {
    updateLink->setObjectName(QStringLiteral("update"));
    statusLabel->setObjectName(QStringLiteral("statusText"));
    connect(updateLink, &QAbstractButton::clicked, this, [this] {
        if (store.update() && services.openAddress)
            services.openAddress(store.update()->url);
    });

    auto* line = new QHBoxLayout;
    line->setSpacing(controlSpacing);
    line->addWidget(statusLabel);
    line->addStretch(1);
    if (renderingPicture) {
        for (const QString& symbol : {refreshSymbol, menuSymbol})
            line->addWidget(new SymbolView(symbol, symbolSize, Theme::Role::secondaryText));
    } else {
        refreshButton = new SymbolButton(refreshSymbol, symbolSize, Theme::Role::secondaryText);
        refreshButton->setObjectName(QStringLiteral("refresh"));
        refreshButton->setToolTip(QStringLiteral("Refresh now"));
        refreshButton->setAccessibleName(QStringLiteral("Refresh now"));
        connect(refreshButton, &QAbstractButton::clicked, this, [this] { store.refresh(); });

        auto* menuButton = new SymbolButton(menuSymbol, symbolSize, Theme::Role::secondaryText);
        menuButton->setObjectName(QStringLiteral("menu"));
        menuButton->setAccessibleName(QStringLiteral("Menu"));
        menu = new QMenu(this);
        menu->setObjectName(QStringLiteral("footerMenu"));
        connect(menu, &QMenu::aboutToShow, this, &Footer::fillMenu);
        connect(menuButton, &QAbstractButton::clicked, this, [this, menuButton] {
            menu->popup(menuButton->mapToGlobal(QPoint(0, menuButton->height())));
        });
        line->addWidget(refreshButton);
        line->addWidget(menuButton);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(lineSpacing);
    layout->addWidget(updateLink, 0, Qt::AlignLeading);
    layout->addLayout(line);

    connect(&store, &Store::refreshingChanged, this, &Footer::showStore);
    connect(&store, &Store::lastRefreshChanged, this, &Footer::showStore);
    connect(&store, &Store::updateChanged, this, &Footer::showStore);
    showStore();
}

void Footer::setNow(Instant now) {
    present = now;
    showStore();
}

void Footer::showStore() {
    const std::optional<UpdateInfo>& update = store.update();
    if (update)
        updateLink->setText(QStringLiteral("Spanwell ") + update->version +
                            QStringLiteral(" is available. Download it"));
    updateLink->setHidden(!update);
    statusLabel->setText(PanelText::statusText(store.isRefreshing(), store.lastRefresh(), present));
    if (refreshButton)
        refreshButton->setEnabled(!store.isRefreshing());
}

// Built each time the menu opens, so it lists the hidden accounts as they are at that moment.
void Footer::fillMenu() {
    menu->clear();
    MenuCommands::addAccount(*menu, services);

    const QList<Account> hidden = store.hiddenAccounts();
    if (!hidden.isEmpty())
        menu->addSeparator();
    for (const Account& account : hidden)
        menu->addAction(
            itemText(QStringLiteral("Track ") + account.email + QStringLiteral(" Again")), this,
            [this, account] { store.resumeTracking(account); });
    menu->addSeparator();

    MenuCommands::openAtLogin(*menu, services);
    MenuCommands::statusLine(*menu, services);
    MenuCommands::trayIcon(*menu, services);
    MenuCommands::notifications(*menu, services);
    MenuCommands::preferences(*menu, services);
    menu->addSeparator();

    menu->addAction(itemText(QStringLiteral("Spanwell ") + Store::currentVersion() +
                             QStringLiteral(" Website")),
                    this, [this] {
                        if (services.openAddress)
                            services.openAddress(site());
                    });
    menu->addAction(QStringLiteral("Independent app. Not made by Anthropic."))->setEnabled(false);
    menu->addSeparator();
    MenuCommands::quit(*menu, services);
}
