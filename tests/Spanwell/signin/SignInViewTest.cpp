#include "signin/SignInView.h"
#include "SignInHarness.h"
#include "Spanwell/views/Widgets.h"
#include "signin/CommandBox.h"

#include <QCheckBox>
#include <QTest>

using Phase = SignInFlow::Phase;
using Widgets::shown;

namespace {

const QString signIn = QStringLiteral("Sign In with Claude…");
const QString nameBox = QStringLiteral("work");

// The label the user sees whose text holds `part`.
const TextLabel* labelWith(const QWidget& view, const QString& part) {
    for (const TextLabel* label : view.findChildren<TextLabel*>())
        if (label->isVisibleTo(&view) && label->text().contains(part))
            return label;
    return nullptr;
}

} // namespace

class SignInViewTest : public QObject {
    Q_OBJECT

private slots:
    void namingForm_data() {
        QTest::addColumn<bool>("again");
        QTest::addColumn<bool>("defaultTaken");
        QTest::newRow("adding, default folder free") << false << false;
        QTest::newRow("adding, default folder signed in") << false << true;
        QTest::newRow("signing in again") << true << false;
    }
    void namingForm() {
        QFETCH(bool, again);
        QFETCH(bool, defaultTaken);
        SignInHarness harness;
        if (defaultTaken)
            harness.account(QStringLiteral(".claude"), QStringLiteral("main@example.com"));
        const auto flow =
            harness.makeFlow(again ? std::optional(harness.account(QStringLiteral(".claude-x"),
                                                                   QStringLiteral("x@example.com")))
                                   : std::nullopt);
        SignInView view(*flow);
        const bool defaultIsFree = !again && !defaultTaken;
        // Signing in again keeps the account's folder, so it asks for no name.
        QCOMPARE(shown<QLineEdit>(view, nameBox) != nullptr, defaultTaken);
        QCOMPARE(shown<QCheckBox>(view) != nullptr, defaultIsFree);
        QCOMPARE(shown<QLineEdit>(view, QStringLiteral("Optional"))->text(),
                 again ? QStringLiteral("x@example.com") : QString());
        QCOMPARE(shown<QAbstractButton>(view, signIn)->isEnabled(), again || defaultIsFree);
        if (again) {
            QCOMPARE(flow->target()->path, harness.stores.home.pathOf(QStringLiteral(".claude-x")));
            return;
        }
        if (defaultIsFree) {
            shown<QCheckBox>(view)->click();
            QVERIFY(!flow->useDefault());
            QVERIFY(!shown<QAbstractButton>(view, signIn)->isEnabled());
        }
        QTest::keyClicks(shown<QLineEdit>(view, nameBox), QStringLiteral("new"));
        QCOMPARE(flow->name(), QStringLiteral("new"));
    }

    void nameCaption_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("red");
        QTest::newRow("empty") << ""
                               << "short name" << false;
        QTest::newRow("free") << "Work"
                              << "~/.claude-work" << false;
        QTest::newRow("taken") << "taken"
                               << "t@example.com" << true;
        QTest::newRow("nothing usable") << "!!!"
                                        << "short name" << true;
    }
    void nameCaption() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(bool, red);
        SignInHarness harness;
        harness.account(QStringLiteral(".claude"), QStringLiteral("main@example.com"));
        harness.account(QStringLiteral(".claude-taken"), QStringLiteral("t@example.com"));
        const auto flow = harness.makeFlow();
        SignInView view(*flow);
        QTest::keyClicks(shown<QLineEdit>(view, nameBox), name);
        QTRY_VERIFY(labelWith(view, caption));
        QCOMPARE(labelWith(view, caption)->colour() == Theme::Role::red, red);
        QCOMPARE(shown<QAbstractButton>(view, signIn)->isEnabled(), name == "Work");
    }

    // Escape closes in every phase; Return starts, here to find no Claude Code; trying
    // again goes back to the form as it was.
    void keys() {
        SignInHarness harness;
        const auto flow = harness.makeNamedFlow(QStringLiteral("work"));
        int closes = 0;
        flow->setCloseAction([&closes] { ++closes; });
        SignInView view(*flow);
        view.show();
        QTest::keyClick(shown<QLineEdit>(view, nameBox), Qt::Key_Escape);
        QCOMPARE(closes, 1);
        SignInHarness::settle(*flow);
        QTest::keyClick(shown<QLineEdit>(view, nameBox), Qt::Key_Return);
        QCOMPARE(flow->phase(), Phase::failed(SignInFlow::notInstalledMessage));
        QTRY_VERIFY(shown<QAbstractButton>(view, QStringLiteral("Try Again")));
        shown<QAbstractButton>(view, QStringLiteral("Try Again"))->click();
        QTRY_VERIFY(shown<QLineEdit>(view, nameBox));
        QCOMPARE(shown<QLineEdit>(view, nameBox)->text(), QStringLiteral("work"));
        flow->setPhase(Phase::done(QStringLiteral("me@example.com")));
        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(closes, 2);
    }

    // The page can be opened again once its address is known; a code goes to the login
    // (which ignores a blank one) by Return or by Continue, which waits for a code.
    void waitingForTheCode() {
        SignInHarness harness;
        const auto flow = harness.makeFlow();
        flow->setPhase(Phase::waiting());
        SignInView view(*flow);
        const QString openAgain = QStringLiteral("Open the Sign-In Page Again");
        QVERIFY(!shown<QAbstractButton>(view, openAgain));
        QVERIFY(!shown<QLineEdit>(view, QStringLiteral("Code")));
        flow->setSignInURL(QStringLiteral("https://claude.ai/x"));
        QVERIFY(shown<QAbstractButton>(view, openAgain));

        shown<QAbstractButton>(view, QStringLiteral("The page shows a code?"))->click();
        QLineEdit* codeBox = shown<QLineEdit>(view, QStringLiteral("Code"));
        QAbstractButton* continueButton = shown<QAbstractButton>(view, QStringLiteral("Continue"));
        QTest::keyClicks(codeBox, QStringLiteral(" \t "));
        QVERIFY(!continueButton->isEnabled());
        QTest::keyClick(codeBox, Qt::Key_Return);
        QCOMPARE(codeBox->text(), QString());
        QTest::keyClicks(codeBox, QStringLiteral(" abc "));
        QCOMPARE(flow->code(), QStringLiteral(" abc "));
        continueButton->click();
        QCOMPARE(flow->code(), QString());
    }

    void done_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("a folder of its own") << ".claude-work";
        QTest::newRow("the default folder") << ".claude";
    }
    void done() {
        QFETCH(QString, folder);
        SignInHarness harness;
        const Account account = harness.account(folder, QStringLiteral("ME@example.com"));
        harness.account(QStringLiteral(".claude-other"), QStringLiteral("Me@Example.com"));
        const auto flow = harness.makeFlow();
        flow->setTarget(SignInFlow::Target{account.configDir, account.isDefault()});
        flow->setPhase(Phase::done(QStringLiteral("me@example.com")));
        SignInView view(*flow);
        // The same account, whatever the capitals, signed in at another folder.
        QTRY_VERIFY(labelWith(view, QStringLiteral("~/.claude-other")));
        // The default folder needs no command to reach it.
        const auto* command = shown<CommandBox>(view);
        QCOMPARE(command != nullptr, !account.isDefault());
        if (command) {
            shown<QAbstractButton>(view, QStringLiteral("Copy"))->click();
            QVERIFY(shown<QAbstractButton>(view, QStringLiteral("Copied")));
            QCOMPARE(harness.copied, QStringList{command->command()});
        }
    }
};

QTEST_MAIN(SignInViewTest)
#include "SignInViewTest.moc"
