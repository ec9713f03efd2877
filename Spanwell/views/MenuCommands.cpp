#include "views/MenuCommands.h"

#include "notifications/NotificationKind.h"
#include "tray/TrayIconStyle.h"

#include <QActionGroup>
#include <QMenu>

namespace {

// Runs `command` if the services have it.
template <typename... Arguments>
auto calling(const std::function<void(Arguments...)>& command) {
    return [command](Arguments... arguments) {
        if (command)
            command(arguments...);
    };
}

} // namespace

namespace MenuCommands {

void addAccount(QMenu& menu, const PanelServices& services) {
    menu.addAction(QStringLiteral("Add an Account\u2026"), &menu, calling(services.addAccount));
}

void openAtLogin(QMenu& menu, const PanelServices& services) {
    QAction* action = menu.addAction(QStringLiteral("Open at Login"));
    action->setCheckable(true);
    const auto showRegistration = [action, registered = services.isOpenAtLogin] {
        action->setChecked(registered && registered());
    };
    showRegistration();
    QObject::connect(&menu, &QMenu::aboutToShow, action, showRegistration);
    QObject::connect(action, &QAction::triggered, action,
                     [showRegistration, change = calling(services.setOpenAtLogin)](bool on) {
                         change(on);
                         // Whatever was asked, the mark shows what is actually registered.
                         showRegistration();
                     });
}

void trayIcon(QMenu& menu, const PanelServices& services) {
    QMenu* choices = menu.addMenu(QStringLiteral("Tray Icon"));
    auto* group = new QActionGroup(choices);
    UserSettings* settings = services.settings;
    for (const TrayIconStyle style : TrayIconStyles::all()) {
        QAction* choice = choices->addAction(TrayIconStyles::title(style));
        choice->setCheckable(true);
        group->addAction(choice);
        QObject::connect(choice, &QAction::triggered, choice, [style, settings] {
            if (settings)
                TrayIconStyles::write(*settings, style);
        });
    }
    // The other menu may have changed it since.
    const auto showChoice = [group, settings] {
        const TrayIconStyle current =
            settings ? TrayIconStyles::read(*settings) : TrayIconStyle::automatic;
        group->actions().at(TrayIconStyles::all().indexOf(current))->setChecked(true);
    };
    showChoice();
    QObject::connect(&menu, &QMenu::aboutToShow, group, showChoice);
    QObject::connect(choices, &QMenu::aboutToShow, group, showChoice);
}

void notifications(QMenu& menu, const PanelServices& services) {
    QMenu* kinds = menu.addMenu(QStringLiteral("Notifications"));
    UserSettings* settings = services.settings;
    for (const NotificationKind kind : NotificationKinds::all()) {
        const Setting<bool>& setting = NotificationKinds::setting(kind);
        QAction* choice = kinds->addAction(NotificationKinds::title(kind));
        choice->setCheckable(true);
        QObject::connect(choice, &QAction::triggered, choice, [&setting, settings](bool on) {
            if (settings)
                settings->setValue(setting, on);
        });
        // The other menu may have changed it since.
        const auto showChoice = [choice, &setting, settings] {
            choice->setChecked(settings ? settings->value(setting) : setting.byDefault);
        };
        showChoice();
        QObject::connect(kinds, &QMenu::aboutToShow, choice, showChoice);
    }
}

void quit(QMenu& menu, const PanelServices& services) {
    menu.addAction(QStringLiteral("Quit Spanwell"), &menu, calling(services.quit));
}

} // namespace MenuCommands
