#include "views/PreferencesWindow.h"

#include "notifications/NotificationKind.h"
#include "store/Preferences.h"
#include "tray/TrayIconStyle.h"

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

} // namespace

PreferencesWindow::PreferencesWindow(UserSettings& settings, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Spanwell Preferences"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* interval = new QComboBox;
    interval->setObjectName(QStringLiteral("refreshInterval"));
    for (const int minutes : Preferences::refreshMinutesOffered)
        interval->addItem(minutes == 1 ? QStringLiteral("Every minute")
                                       : QStringLiteral("Every %1 minutes").arg(minutes),
                          minutes);
    interval->setCurrentIndex(
        int(Preferences::refreshMinutesOffered.indexOf(Preferences::refreshMinutes(settings))));
    connect(interval, &QComboBox::activated, this, [interval, &settings](int index) {
        settings.setValue(Settings::refreshMinutes, interval->itemData(index).toInt());
    });

    auto* threshold = new QSpinBox;
    threshold->setObjectName(QStringLiteral("nearlyUsedUp"));
    threshold->setRange(Preferences::leastNearlyUsedUp, Preferences::mostNearlyUsedUp);
    threshold->setSingleStep(5);
    threshold->setSuffix(QStringLiteral(" %"));
    threshold->setValue(Preferences::nearlyUsedUpPercent(settings));
    connect(threshold, &QSpinBox::valueChanged, this, [&settings](int percent) {
        settings.setValue(Settings::nearlyUsedUpPercent, percent);
    });

    auto* historyDays = new QSpinBox;
    historyDays->setObjectName(QStringLiteral("historyDays"));
    historyDays->setRange(Preferences::leastHistoryDays, Preferences::mostHistoryDays);
    historyDays->setSuffix(QStringLiteral(" days"));
    historyDays->setValue(Preferences::historyDays(settings));
    connect(historyDays, &QSpinBox::valueChanged, this,
            [&settings](int days) { settings.setValue(Settings::historyDays, days); });

    auto* style = new QComboBox;
    style->setObjectName(QStringLiteral("trayIcon"));
    for (const TrayIconStyle each : TrayIconStyles::all())
        style->addItem(TrayIconStyles::title(each));
    style->setCurrentIndex(int(TrayIconStyles::all().indexOf(TrayIconStyles::read(settings))));
    connect(style, &QComboBox::activated, this, [&settings](int index) {
        TrayIconStyles::write(settings, TrayIconStyles::all().at(index));
    });

    auto* kinds = new QVBoxLayout;
    for (const NotificationKind kind : NotificationKinds::all()) {
        auto* box = new QCheckBox(NotificationKinds::title(kind));
        box->setChecked(settings.value(NotificationKinds::setting(kind)));
        connect(box, &QCheckBox::toggled, this, [kind, &settings](bool on) {
            settings.setValue(NotificationKinds::setting(kind), on);
        });
        kinds->addWidget(box);
    }

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Refresh:"), interval);
    form->addRow(QStringLiteral("Notify when a limit reaches:"), threshold);
    form->addRow(QStringLiteral("Keep readings for:"), historyDays);
    form->addRow(QStringLiteral("Tray icon:"), style);
    form->addRow(QStringLiteral("Notifications:"), kinds);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PreferencesWindow::show(UserSettings& settings) {
    if (!openWindow) {
        openWindow = new PreferencesWindow(settings);
        openWindow->adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            openWindow->move(screen->availableGeometry().center() - openWindow->rect().center());
    }
    openWindow->QWidget::show();
    openWindow->raise();
    openWindow->activateWindow();
}
