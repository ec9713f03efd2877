#include "views/PreferencesWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QPointer<PreferencesWindow> openWindow;

// A choice's function when the services have it; else what the window shows as the default.
template <typename Value, typename... Arguments>
Value asked(const std::function<Value(Arguments...)>& question, Value otherwise,
            Arguments... arguments) {
    return question ? question(arguments...) : otherwise;
}

template <typename... Arguments>
void tell(const std::function<void(Arguments...)>& change, Arguments... arguments) {
    if (change)
        change(arguments...);
}

} // namespace

const QList<int> PreferencesWindow::refreshMinutes{1, 2, 5, 10, 15};

PreferencesWindow::PreferencesWindow(const PanelServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Spanwell Preferences"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* interval = new QComboBox;
    interval->setObjectName(QStringLiteral("refreshInterval"));
    for (const int minutes : refreshMinutes)
        interval->addItem(minutes == 1 ? QStringLiteral("Every minute")
                                       : QStringLiteral("Every %1 minutes").arg(minutes),
                          minutes);
    interval->setCurrentIndex(
        int(std::max<qsizetype>(0, refreshMinutes.indexOf(asked(services.refreshMinutes, 5)))));
    connect(interval, &QComboBox::activated, this,
            [interval, change = services.setRefreshMinutes](int index) {
                tell(change, interval->itemData(index).toInt());
            });

    auto* threshold = new QSpinBox;
    threshold->setObjectName(QStringLiteral("nearlyUsedUp"));
    threshold->setRange(leastNearlyUsedUp, mostNearlyUsedUp);
    threshold->setSingleStep(5);
    threshold->setSuffix(QStringLiteral(" %"));
    threshold->setValue(asked(services.nearlyUsedUpPercent, 80));
    connect(threshold, &QSpinBox::valueChanged, this,
            [change = services.setNearlyUsedUpPercent](int percent) { tell(change, percent); });

    auto* style = new QComboBox;
    style->setObjectName(QStringLiteral("trayIcon"));
    for (const TrayIconStyle each : TrayIconStyles::all())
        style->addItem(TrayIconStyles::title(each));
    style->setCurrentIndex(int(
        TrayIconStyles::all().indexOf(asked(services.trayIconStyle, TrayIconStyle::automatic))));
    connect(style, &QComboBox::activated, this, [change = services.setTrayIconStyle](int index) {
        tell(change, TrayIconStyles::all().at(index));
    });

    auto* kinds = new QVBoxLayout;
    for (const NotificationKind kind : NotificationKinds::all()) {
        auto* box = new QCheckBox(NotificationKinds::title(kind));
        box->setChecked(asked(services.isNotifying, false, kind));
        connect(box, &QCheckBox::toggled, this,
                [kind, change = services.setNotifying](bool on) { tell(change, kind, on); });
        kinds->addWidget(box);
    }

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Refresh:"), interval);
    form->addRow(QStringLiteral("Notify when a limit reaches:"), threshold);
    form->addRow(QStringLiteral("Tray icon:"), style);
    form->addRow(QStringLiteral("Notifications:"), kinds);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PreferencesWindow::show(const PanelServices& services) {
    if (!openWindow) {
        openWindow = new PreferencesWindow(services);
        openWindow->adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            openWindow->move(screen->availableGeometry().center() - openWindow->rect().center());
    }
    openWindow->QWidget::show();
    openWindow->raise();
    openWindow->activateWindow();
}
