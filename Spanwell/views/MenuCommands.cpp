#include "views/MenuCommands.h"

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
    for (const TrayIconStyle style : TrayIconStyles::all()) {
        QAction* choice = choices->addAction(TrayIconStyles::title(style));
        choice->setCheckable(true);
        group->addAction(choice);
        QObject::connect(choice, &QAction::triggered, choice,
                         [style, choose = calling(services.setTrayIconStyle)] { choose(style); });
    }
    // The other menu may have changed it since.
    const auto showChoice = [group, current = services.trayIconStyle] {
        const qsizetype index = current ? TrayIconStyles::all().indexOf(current()) : qsizetype(0);
        group->actions().at(index)->setChecked(true);
    };
    showChoice();
    QObject::connect(&menu, &QMenu::aboutToShow, group, showChoice);
    QObject::connect(choices, &QMenu::aboutToShow, group, showChoice);
}

void notifications(QMenu& menu, const PanelServices& services) {
    QMenu* kinds = menu.addMenu(QStringLiteral("Notifications"));
    for (const NotificationKind kind : NotificationKinds::all()) {
        QAction* choice = kinds->addAction(NotificationKinds::title(kind));
        choice->setCheckable(true);
        QObject::connect(
            choice, &QAction::triggered, choice,
            [kind, change = calling(services.setNotifying)](bool on) { change(kind, on); });
        // The other menu may have changed it since.
        const auto showChoice = [choice, kind, current = services.isNotifying] {
            choice->setChecked(current && current(kind));
        };
        showChoice();
        QObject::connect(kinds, &QMenu::aboutToShow, choice, showChoice);
    }
}

void preferences(QMenu& menu, const PanelServices& services) {
    menu.addAction(QStringLiteral("Preferences\u2026"), &menu,
                   [services] { PreferencesWindow::show(services); });
}

void quit(QMenu& menu, const PanelServices& services) {
    menu.addAction(QStringLiteral("Quit Spanwell"), &menu, calling(services.quit));
}

} // namespace MenuCommands
