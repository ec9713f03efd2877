#include "views/MenuCommands.h"

#include "notifications/NotificationKind.h"
#include "tray/TrayIconStyle.h"
#include "views/PreferencesWindow.h"

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

// A check-box item whose mark shows `isOn` each time the menu opens, and after each change
// whatever was asked, since what is asked may not be what happens.
void toggle(QMenu& menu, const QString& title, const std::function<bool()>& isOn,
            const std::function<void(bool)>& change) {
    QAction* action = menu.addAction(title);
    action->setCheckable(true);
    const auto showState = [action, isOn] { action->setChecked(isOn && isOn()); };
    showState();
    QObject::connect(&menu, &QMenu::aboutToShow, action, showState);
    QObject::connect(action, &QAction::triggered, action,
                     [showState, changeState = calling(change)](bool on) {
                         changeState(on);
                         showState();
                     });
}

} // namespace

namespace MenuCommands {

void addAccount(QMenu& menu, const PanelServices& services) {
    menu.addAction(QStringLiteral("Add an Account\u2026"), &menu, calling(services.addAccount));
}

void openAtLogin(QMenu& menu, const PanelServices& services) {
    toggle(menu, QStringLiteral("Open at Login"), services.isOpenAtLogin, services.setOpenAtLogin);
}

void statusLine(QMenu& menu, const PanelServices& services) {
    toggle(menu, QStringLiteral("Show in Claude Code's Status Line"), services.isInStatusLine,
           services.setInStatusLine);
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

void preferences(QMenu& menu, const PanelServices& services) {
    menu.addAction(QStringLiteral("Preferences\u2026"), &menu, [settings = services.settings] {
        if (settings)
            PreferencesWindow::show(*settings);
    });
}

void quit(QMenu& menu, const PanelServices& services) {
    menu.addAction(QStringLiteral("Quit Spanwell"), &menu, calling(services.quit));
}

} // namespace MenuCommands
