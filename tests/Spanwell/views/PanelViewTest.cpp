#include "views/PanelView.h"
#include "Spanwell/store/StoreHarness.h"
#include "Spanwell/views/Pictures.h"
#include "store/Demo.h"
#include "views/AccountRow.h"
#include "views/EmptyState.h"
#include "views/Footer.h"
#include "views/HiddenRow.h"
#include "views/LinkButton.h"
#include "views/SymbolButton.h"
#include "views/SymbolView.h"
#include "views/TextLabel.h"

#include <QApplication>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

const Instant now(800000000);

// Logs every command; the login registration never takes.
PanelServices recording(QStringList& log) {
    return PanelServices{
        [&log] { log << QStringLiteral("add"); },
        {},
        [] { return false; },
        [&log](bool on) { log << QStringLiteral("login %1").arg(on); },
        [&log](const QUrl& address) { log << address.toString(); },
        [&log] { log << QStringLiteral("quit"); },
        [] { return TrayIconStyle::forLightPanels; },
        [&log](TrayIconStyle style) { log << QStringLiteral("style %1").arg(int(style)); },
        {},
        {}};
}

template <typename View = TextLabel>
View* child(const QWidget& panel, const char* name) {
    return panel.findChild<View*>(QString::fromUtf8(name));
}

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
    void summaryLeadsTheRows() {
        const auto store = Store::demo(Demo::store(now)->entries().first(3), [] { return now; });
        PanelView panel(*store, now, {}, {});
        QCOMPARE(child(panel, "summary")->text(),
                 QStringLiteral("2 of 3 accounts usable now  \u00B7  average session use 69%"));
        QCOMPARE(panel.findChildren<AccountRow*>().size(), 3);
        // A picture forces the dark palette once the panel is built.
        panel.setPalette(Theme::dark().palette());
        const QImage image = Pictures::of(panel, panel.sizeHint());
        QCOMPARE(image.width(), 384);
        QVERIFY(Pictures::near(image.pixelColor(2, 2), Theme::dark().windowBackground));
    }

    void emptyStateOffersToAdd_data() {
        QTest::addColumn<bool>("picture");
        QTest::newRow("live") << false;
        QTest::newRow("picture") << true;
    }
    void emptyStateOffersToAdd() {
        QFETCH(bool, picture);
        const auto store = Store::demo({});
        QStringList log;
        PanelView panel(*store, now, {false, std::nullopt, picture}, recording(log));
        QVERIFY(panel.findChild<EmptyState*>() && !child(panel, "summary"));
        auto* add = child<QPushButton>(panel, "addAccount");
        QCOMPARE(add != nullptr, !picture);
        if (add) {
            add->click();
            QCOMPARE(log, QStringList{"add"});
        }
        // The footer's controls, or their still look-alikes.
        QCOMPARE(panel.findChildren<SymbolButton*>().size(), picture ? 0 : 2);
        QStringList stills;
        for (const SymbolView* symbol : panel.findChild<Footer*>()->findChildren<SymbolView*>())
            stills.append(symbol->name());
        QCOMPARE(stills.join(u' '),
                 picture ? QStringLiteral("arrow.clockwise ellipsis.circle") : "");
    }

    void followsTheStoreAndOffersEveryCommand() {
        StoreHarness harness;
        const QStringList hidden{
            harness.home.addAccount(QStringLiteral(".claude"), QStringLiteral("a@example.com")),
            harness.home.addAccount(QStringLiteral(".claude-b"),
                                    QStringLiteral("b&c@example.com"))};
        QSettings(harness.settingsPath, QSettings::IniFormat)
            .setValue("hiddenAccountFolders", hidden);
        // Refreshes find no credential and learn of the update.
        const UpdateInfo update{"2.0", 99, QUrl(QStringLiteral("https://spanwell.app/get"))};
        harness.updateReply = update;
        const auto store = harness.makeStore();
        QStringList log;
        PanelView panel(*store, now, {}, recording(log));
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        auto* updateLine = child<LinkButton>(panel, "update");
        auto* refresh = child<SymbolButton>(panel, "refresh");
        const TextLabel* status = child(panel, "statusText");
        QVERIFY(updateLine->isHidden());
        QCOMPARE(status->text(), QStringLiteral("Not checked yet"));

        // Every account hidden: the empty state, then one row per hidden account.
        QVERIFY(panel.findChild<EmptyState*>());
        QCOMPARE(panel.findChildren<HiddenRow*>().size(), 2);
        QSignalSpy finished(store.get(), &Store::refreshFinished);
        panel.findChildren<HiddenRow*>()[0]->findChild<LinkButton*>()->click();
        QCOMPARE(panel.findChildren<HiddenRow*>().size(), 1);
        QVERIFY(!refresh->isEnabled());
        QCOMPARE(status->text(), QStringLiteral("Checking\u2026"));
        QVERIFY(finished.wait());
        QVERIFY(refresh->isEnabled());
        // Without any session reading the summary has no average.
        QCOMPARE(child(panel, "summary")->text(), QStringLiteral("0 of 1 accounts usable now"));
        panel.setNow(now + 60);
        QCOMPARE(status->text(), QStringLiteral("Updated 1 min ago"));
        QVERIFY(!updateLine->isHidden());
        QCOMPARE(updateLine->text(), QStringLiteral("Spanwell 2.0 is available. Download it"));
        updateLine->click();

        child<SymbolButton>(panel, "menu")->click();
        auto* menu = child<QMenu>(panel, "footerMenu");
        QTRY_VERIFY(menu->isVisible());
        QStringList items;
        for (const QAction* action : menu->actions())
            items.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        const QString site = "Spanwell " + Store::currentVersion() + " Website";
        QCOMPARE(items,
                 (QStringList{"Add an Account\u2026", "-", "Track b&&c@example.com Again", "-",
                              "Open at Login", "Tray Icon", "Notifications", "-", site,
                              "Independent app. Not made by Anthropic.", "-", "Quit Spanwell"}));
        QVERIFY(!menu->actions()[9]->isEnabled());
        QAction* openAtLogin = menu->actions()[4];
        QVERIFY(openAtLogin->isCheckable() && !openAtLogin->isChecked());
        openAtLogin->trigger();
        // Asked to register, but the mark shows that the registration did not take.
        QVERIFY(!openAtLogin->isChecked());
        // The current style is marked; another is one choice away.
        const QList<QAction*> styles = menu->actions()[5]->menu()->actions();
        QCOMPARE(styles[1]->isChecked(), true);
        styles[2]->trigger();
        menu->actions()[8]->trigger();
        menu->actions()[11]->trigger();
        QCOMPARE(log, (QStringList{update.url.toString(), "login 1", "style 2",
                                   "https://spanwell.app", "quit"}));
        menu->actions()[2]->trigger();
        QVERIFY(store->hiddenAccounts().isEmpty());
        QVERIFY(finished.wait());
    }

    void expansionFollowsClicks_data() {
        QTest::addColumn<bool>("expandAll");
        QTest::addColumn<int>("initially");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QString>("open");
        QTest::newRow("initially open") << false << 1 << QList<int>{} << "0100";
        QTest::newRow("first click closes the initial row")
            << false << 1 << QList<int>{1} << "0000";
        QTest::newRow("click moves the initial row") << false << 1 << QList<int>{3} << "0001";
        QTest::newRow("second click closes") << false << -1 << QList<int>{2, 2} << "0000";
        QTest::newRow("expand all") << true << 1 << QList<int>{0, 1} << "1111";
    }
    void expansionFollowsClicks() {
        QFETCH(bool, expandAll);
        QFETCH(int, initially);
        QFETCH(QList<int>, clicks);
        QFETCH(QString, open);
        const auto store = Demo::store(now);
        const std::optional<QString> initial =
            initially < 0 ? std::nullopt : std::optional(store->entries()[initially].id());
        PanelView panel(*store, now, {expandAll, initial, false}, {});
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        // A click anywhere on a row's header, here on the e-mail, toggles the row.
        for (const int index : clicks)
            QTest::mouseClick(child(*panel.findChildren<AccountRow*>()[index], "email"),
                              Qt::LeftButton);
        QCOMPARE(openRows(panel), open);
        panel.setNow(now + 30);
        QCOMPARE(openRows(panel), open);
    }

    // Given less height than its rows need, the panel scrolls them between the summary and
    // the footer.
    void scrollsTheRowsItHasNoRoomFor() {
        const auto store = Demo::store(now);
        PanelView panel(*store, now, {true, std::nullopt, false}, {});
        panel.resize(panel.sizeHint().width(), panel.sizeHint().height() / 2);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QCOMPARE(child(panel, "summary")->mapTo(&panel, QPoint()).y(), 0);
        QCOMPARE(panel.findChild<Footer*>()->geometry().bottom(), panel.height() - 1);
        QVERIFY(panel.findChild<QScrollArea*>()->verticalScrollBar()->maximum() > 0);
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
        QTest::newRow("back from the first row")
            << QList<int>{Qt::Key_Backtab} << QStringList{"menu"} << "1000";
        QTest::newRow("up and down between rows")
            << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}
            << QStringList{"header1", "header2", "header1"} << "1000";
        QTest::newRow("down from a link") << QList<int>{Qt::Key_Tab, Qt::Key_Down}
                                          << QStringList{"stopTracking0", "header1"} << "1000";
        QTest::newRow("a row keeps the keyboard as it closes and opens")
            << QList<int>{Qt::Key_Return, Qt::Key_Down, Qt::Key_Space}
            << QStringList{"header0", "header1", "header1"} << "0100";
    }
    void keyboardFollowsTheDrawing() {
        QFETCH(QList<int>, keys);
        QFETCH(QStringList, focus);
        QFETCH(QString, open);
        const auto store = Demo::store(now);
        PanelView panel(*store, now, {false, store->entries().first().id(), false}, {});
        panel.show();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        panel.focusFirst();
        QCOMPARE(focused(panel), QStringLiteral("header0"));
        QStringList visited;
        for (const int key : keys) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            visited.append(focused(panel));
        }
        QCOMPARE(visited, focus);
        QCOMPARE(openRows(panel), open);
    }
};

QTEST_MAIN(PanelViewTest)
#include "PanelViewTest.moc"
