#include "views/PanelView.h"
#include "Spanwell/store/StoreHarness.h"
#include "Spanwell/views/Widgets.h"
#include "store/Demo.h"
#include "store/Preferences.h"
#include "tray/TrayIconStyle.h"
#include "views/AccountRow.h"
#include "views/Bar.h"
#include "views/Footer.h"
#include "views/HiddenRow.h"
#include "views/InlineMeter.h"
#include "views/LinkButton.h"
#include "views/PreferencesWindow.h"
#include "views/SymbolButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

using Widgets::named;

namespace {

const Instant now(800000000);

QString openRows(const PanelView& panel) {
    QString pattern;
    for (const AccountRow* row : panel.findChildren<AccountRow*>())
        pattern += row->isExpanded() ? QLatin1Char('1') : QLatin1Char('0');
    return pattern;
}

// The control with the keyboard: its name, and the row it belongs to.
QString focused(const PanelView& panel) {
    const QWidget* focus = QApplication::focusWidget();
    const QList<AccountRow*> rows = panel.findChildren<AccountRow*>();
    for (qsizetype index = 0; index < rows.size(); ++index)
        if (rows[index]->isAncestorOf(focus))
            return focus->objectName() + QString::number(index);
    return focus ? focus->objectName() : QString();
}

} // namespace

class PanelViewTest : public QObject {
    Q_OBJECT

private slots:
    void followsTheStoreAndOffersEveryCommand() {
        StoreHarness harness;
        const QStringList hidden{
            harness.home.addAccount(QStringLiteral(".claude"), QStringLiteral("a@example.com")),
            harness.home.addAccount(QStringLiteral(".claude-b"),
                                    QStringLiteral("b&c@example.com"))};
        UserSettings& settings = harness.openSettings();
        settings.setValue(Settings::hiddenAccountFolders, hidden);
        TrayIconStyles::write(settings, TrayIconStyle::forLightPanels);
        settings.setValue(Settings::useItOrLoseItNotifications, true);
        // Refreshes find no credential and learn of the update.
        const UpdateInfo update{"2.0", 99, QUrl(QStringLiteral("https://spanwell.app/get"))};
        harness.updateReply = update;
        const auto store = harness.makeStore(&settings);
        // Logs every command; the login registration never takes.
        QStringList log;
        PanelView panel(*store, now, {},
                        {[&] { log << "add"; },
                         {},
                         [] { return false; },
                         [&](bool on) { log << QStringLiteral("login %1").arg(on); },
                         [&](const QUrl& address) { log << address.toString(); },
                         [&] { log << "quit"; },
                         [] { return true; },
                         [&](bool on) { log << QStringLiteral("status line %1").arg(on); },
                         &settings});
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        auto* updateLine = named<LinkButton>(panel, "update");
        auto* refresh = named<SymbolButton>(panel, "refresh");
        QVERIFY(updateLine->isHidden());

        // Every account hidden: the empty state, and a row each; tracking one again refreshes.
        named<QPushButton>(panel, "addAccount")->click();
        QCOMPARE(panel.findChildren<HiddenRow*>().size(), 2);
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        panel.findChildren<HiddenRow*>()[0]->findChild<LinkButton*>()->click();
        QCOMPARE(panel.findChildren<HiddenRow*>().size(), 1);
        QVERIFY(!refresh->isEnabled());
        QVERIFY(finished.wait());
        QVERIFY(refresh->isEnabled());
        // Without any session reading the summary has no average.
        QCOMPARE(named(panel, "summary")->text(), QStringLiteral("0 of 1 accounts usable now"));
        panel.setNow(now + 60);
        QCOMPARE(named(panel, "statusText")->text(), QStringLiteral("Updated 1 min ago"));
        QVERIFY(!updateLine->isHidden());
        updateLine->click();

        named<SymbolButton>(panel, "menu")->click();
        auto* menu = named<QMenu>(panel, "footerMenu");
        QTRY_VERIFY(menu->isVisible());
        QAction* trackAgain = nullptr;
        QAction* openAtLogin = nullptr;
        for (QAction* action : menu->actions()) {
            // An e-mail's "&" is shown, not taken for a shortcut letter.
            if (action->text().contains(QStringLiteral("b&&c@example.com"))) {
                trackAgain = action;
                continue;
            }
            if (action->text() == QStringLiteral("Open at Login"))
                openAtLogin = action;
            // Of the styles the current one is marked, of the notifications those on.
            if (QMenu* choices = action->menu()) {
                QVERIFY(choices->actions()[1]->isChecked());
                choices->actions()[2]->trigger();
            } else {
                action->trigger();
            }
        }
        // Asked to register, but the mark shows that the registration did not take.
        QVERIFY(openAtLogin && !openAtLogin->isChecked());
        QCOMPARE(log, (QStringList{"add", update.url.toString(), "add", "login 1", "status line 0",
                                   Footer::site().toString(), "quit"}));
        QCOMPARE(TrayIconStyles::read(settings), TrayIconStyle::forDarkPanels);
        QVERIFY(!settings.value(Settings::useItOrLoseItNotifications));
        // "Preferences…" opened the window of every choice, which changes each at once.
        PreferencesWindow* preferences = nullptr;
        QTRY_VERIFY(preferences = qobject_cast<PreferencesWindow*>(QApplication::activeWindow()));
        QTest::keyClick(named<QComboBox>(*preferences, "refreshInterval"), Qt::Key_Down);
        named<QSpinBox>(*preferences, "nearlyUsedUp")->stepUp();
        named<QSpinBox>(*preferences, "historyDays")->stepDown();
        QTest::keyClick(named<QComboBox>(*preferences, "trayIcon"), Qt::Key_Up);
        preferences->findChild<QCheckBox*>()->click();
        preferences->close();
        QCOMPARE(settings.value(Settings::refreshMinutes), 10);
        QCOMPARE(settings.value(Settings::nearlyUsedUpPercent), 85);
        QCOMPARE(Preferences::historyDays(settings), 89);
        QCOMPARE(TrayIconStyles::read(settings), TrayIconStyle::forLightPanels);
        QVERIFY(!settings.value(Settings::nearlyUsedUpNotifications));
        QVERIFY(trackAgain);
        trackAgain->trigger();
        QVERIFY(store->hiddenAccounts().isEmpty());
        QVERIFY(finished.wait());
    }

    void keyboardFollowsTheDrawing_data() {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QStringList>("focus");
        QTest::addColumn<QString>("open");
        QTest::newRow("tab through the open row to the footer")
            << QList<int>{Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab,
                          Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Tab}
            << QStringList{"stopTracking0", "header1", "header2", "header3", "refresh", "menu"}
            << "1000";
        QTest::newRow("up and down between rows")
            << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}
            << QStringList{"header1", "header2", "header1"} << "1000";
        QTest::newRow("a row keeps the keyboard as it closes and opens")
            << QList<int>{Qt::Key_Return, Qt::Key_Down, Qt::Key_Space}
            << QStringList{"header0", "header1", "header1"} << "0100";
    }
    void keyboardFollowsTheDrawing() {
        QFETCH(QList<int>, keys);
        QFETCH(QStringList, focus);
        QFETCH(QString, open);
        const auto store = Demo::store(Demo::accounts(now));
        PanelView panel(*store, now, {false, store->entries().first().id(), false}, {});
        panel.show();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        panel.focusFirst();
        QCOMPARE(focused(panel), QStringLiteral("header0"));
        // Every bar of the collapsed rows is as long as every other, beside "0%" or "100%".
        QSet<int> lengths;
        for (const InlineMeter* meter : panel.findChildren<InlineMeter*>())
            lengths.insert(meter->bar()->width());
        QCOMPARE(lengths.size(), 1);
        QStringList visited;
        for (const int key : keys) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            visited.append(focused(panel));
        }
        QCOMPARE(visited, focus);
        QCOMPARE(openRows(panel), open);
        // As a notification about the third account opens it.
        panel.showRow(store->entries().at(2).id());
        QCOMPARE(openRows(panel), "0010");
        QCOMPARE(focused(panel), "header2");
    }
};

QTEST_MAIN(PanelViewTest)
#include "PanelViewTest.moc"
