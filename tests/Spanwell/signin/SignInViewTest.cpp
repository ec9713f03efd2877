#include "signin/SignInView.h"
#include "SignInHarness.h"
#include "signin/CommandBox.h"
#include "signin/SignInWindow.h"
#include "views/TextLabel.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using Phase = SignInFlow::Phase;

namespace {

QStringList sorted(QStringList texts) {
    texts.sort();
    return texts;
}

// What the user reads on a widget: a text box's placeholder, a label's or a button's text.
QString textOf(const QWidget* widget) {
    if (const auto* box = qobject_cast<const QLineEdit*>(widget))
        return box->placeholderText();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    return {};
}

// Every text the user sees, sorted.
QStringList shownTexts(QWidget& view) {
    QStringList texts;
    for (const QWidget* widget : view.findChildren<QWidget*>())
        if (widget->isVisibleTo(&view))
            texts.append(textOf(widget));
    texts.removeAll(QString());
    return sorted(texts);
}

// The first widget of that kind the user sees, with that text (a text box's placeholder).
template <typename Widget>
Widget* shown(QWidget& view, const QString& text = {}) {
    for (Widget* widget : view.findChildren<Widget*>())
        if (widget->isVisibleTo(&view) && (text.isEmpty() || textOf(widget) == text))
            return widget;
    return nullptr;
}

const QString formExplanation =
    QStringLiteral("Spanwell signs in through Claude Code, so the account works in Claude Code "
                   "too. Your password goes only to Claude's sign-in page.");
const QString emailCaption =
    QStringLiteral("Fills in the sign-in page, so you sign in as the right account.");
const QString shortName = QStringLiteral("A short name for this account, like work or personal.");
const QString signIn = QStringLiteral("Sign In with Claude…");

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
        QStringList texts{again ? QStringLiteral("Sign in to x@example.com again")
                                : QStringLiteral("Add a Claude Code account"),
                          formExplanation,
                          QStringLiteral("Email"),
                          QStringLiteral("Optional"),
                          emailCaption,
                          QStringLiteral("Cancel"),
                          signIn};
        if (defaultIsFree)
            texts << QStringLiteral(
                "Make it the main account, the one a plain claude command uses");
        else if (!again)
            texts << QStringLiteral("Name") << QStringLiteral("work") << shortName;
        QCOMPARE(shownTexts(view), sorted(texts));
        QCOMPARE(shown<QCheckBox>(view) != nullptr, defaultIsFree);
        QCOMPARE(shown<QLineEdit>(view, QStringLiteral("Optional"))->text(),
                 again ? QStringLiteral("x@example.com") : QString());
        QCOMPARE(shown<QAbstractButton>(view, signIn)->isEnabled(), again || defaultIsFree);

        if (defaultIsFree) {
            shown<QCheckBox>(view)->click();
            QVERIFY(!flow->useDefault());
            QVERIFY(shown<QLineEdit>(view, QStringLiteral("work")));
            QVERIFY(!shown<QAbstractButton>(view, signIn)->isEnabled());
        }
        // Signing in again keeps the account's folder, so it asks for no name.
        if (again) {
            QCOMPARE(flow->target()->path, harness.stores.home.pathOf(QStringLiteral(".claude-x")));
            return;
        }
        QTest::keyClicks(shown<QLineEdit>(view, QStringLiteral("work")), QStringLiteral("new"));
        QCOMPARE(flow->name(), QStringLiteral("new"));
    }

    void nameCaption_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("red");
        QTest::newRow("empty") << "" << shortName << false;
        QTest::newRow("free") << "Work"
                              << "Kept in ~/.claude-work, the way Claude Code keeps each account."
                              << false;
        QTest::newRow("taken") << "taken"
                               << "That name is already used by t@example.com. Pick another name."
                               << true;
        QTest::newRow("nothing usable") << "!!!"
                                        << "Type a short name, like work or personal." << true;
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
        view.setPalette(Theme::dark().palette());
        QTest::keyClicks(shown<QLineEdit>(view, QStringLiteral("work")), name);
        QTRY_VERIFY(shown<TextLabel>(view, caption));
        const auto* label = shown<TextLabel>(view, caption);
        const Theme theme = Theme::dark();
        QCOMPARE(label->palette().color(QPalette::WindowText),
                 red ? theme.red : theme.secondaryText);
        QCOMPARE(shown<QAbstractButton>(view, signIn)->isEnabled(), caption.startsWith("Kept"));
    }

    void keys() {
        SignInHarness harness;
        const auto flow = harness.makeFlow();
        int closes = 0;
        flow->setCloseAction([&closes] { ++closes; });
        SignInView view(*flow);
        view.show();
        QTest::keyClick(shown<QLineEdit>(view, QStringLiteral("Optional")), Qt::Key_Escape);
        QCOMPARE(closes, 1);
        // Return starts the sign-in, which here finds no Claude Code.
        QTest::keyClick(shown<QLineEdit>(view, QStringLiteral("Optional")), Qt::Key_Return);
        QCOMPARE(flow->phase(), Phase::failed(SignInFlow::notInstalledMessage));
        // The last phase has no Cancel button, and Escape still closes.
        flow->setPhase(Phase::done(QStringLiteral("me@example.com")));
        QTest::keyClick(&view, Qt::Key_Escape);
        QCOMPARE(closes, 2);
    }

    void waitingForTheCode() {
        SignInHarness harness;
        harness.writeClaude("read code\nprintf '%s' \"$code\" > \"$HOME_DIR/code\"\nexec sleep 30");
        const auto flow = harness.makeFlow();
        flow->setUseDefault(false);
        flow->setName(QStringLiteral("work"));
        SignInHarness::settle(*flow);
        SignInView view(*flow);
        flow->start();
        const QString explanation = QStringLiteral(
            "Sign in as the account you want to add. If your browser is signed in to a different "
            "Claude account, switch accounts on that page first.");
        QCOMPARE(shownTexts(view), sorted({"Cancel", "Finish signing in in your browser",
                                           explanation, "The page shows a code?"}));
        flow->setSignInURL(QStringLiteral("https://claude.ai/x"));

        shown<QAbstractButton>(view, QStringLiteral("The page shows a code?"))->click();
        QCOMPARE(shownTexts(view),
                 sorted({"Cancel", "Finish signing in in your browser", explanation,
                         "Open the Sign-In Page Again",
                         "If the page shows a code, paste it here:", "Code", "Continue"}));
        QLineEdit* codeBox = shown<QLineEdit>(view, QStringLiteral("Code"));
        QAbstractButton* continueButton = shown<QAbstractButton>(view, QStringLiteral("Continue"));
        QTest::keyClicks(codeBox, QStringLiteral(" \t "));
        QVERIFY(!continueButton->isEnabled());
        // Return sends even a blank code, which the login never gets.
        QTest::keyClick(codeBox, Qt::Key_Return);
        QCOMPARE(codeBox->text(), QString());
        QTest::keyClicks(codeBox, QStringLiteral(" abc "));
        QVERIFY(continueButton->isEnabled());
        continueButton->click();
        QTRY_COMPARE(harness.read(QStringLiteral("code")), QByteArray("abc"));
        flow->cancel();
        QTRY_VERIFY(harness.childHasEnded());
    }

    void done_data() {
        QTest::addColumn<bool>("again");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("title");
        QTest::newRow("added to a new folder") << false << ".claude-work"
                                               << "Added me@example.com";
        QTest::newRow("signed in again to the default folder") << true << ".claude"
                                                               << "Signed in to me@example.com";
    }
    void done() {
        QFETCH(bool, again);
        QFETCH(QString, folder);
        QFETCH(QString, title);
        SignInHarness harness;
        const Account account = harness.account(folder, QStringLiteral("ME@example.com"));
        harness.account(QStringLiteral(".claude-other"), QStringLiteral("Me@Example.com"));
        const auto flow = harness.makeFlow(again ? std::optional(account) : std::nullopt);
        flow->setTarget(SignInFlow::Target{account.configDir, account.isDefault()});
        flow->setPhase(Phase::done(QStringLiteral("me@example.com")));
        SignInView view(*flow);
        QVERIFY(shown<QLabel>(view, title));
        QVERIFY(shown<QLabel>(view, QStringLiteral("It shows in Spanwell's panel now.")));
        QTRY_VERIFY(
            shown<QLabel>(view, QStringLiteral("This account is also signed in at "
                                               "~/.claude-other, so it shows twice. You can "
                                               "stop tracking one of them in the panel.")));
        const auto* command = shown<CommandBox>(view);
        QCOMPARE(command != nullptr, !account.isDefault());
        if (command) {
            QCOMPARE(command->command(), QStringLiteral("CLAUDE_CONFIG_DIR=~/.claude-work claude"));
            shown<QAbstractButton>(view, QStringLiteral("Copy"))->click();
            QVERIFY(shown<QAbstractButton>(view, QStringLiteral("Copied")));
            QCOMPARE(harness.copied, QStringList{command->command()});
        }
    }

    void tryAgain_data() {
        QTest::addColumn<bool>("again");
        QTest::newRow("adding") << false;
        QTest::newRow("signing in again") << true;
    }
    void tryAgain() {
        QFETCH(bool, again);
        SignInHarness harness;
        const auto flow = harness.makeFlow(
            again
                ? std::optional(harness.account(QStringLiteral(".claude-x"), QStringLiteral("x@y")))
                : std::nullopt);
        flow->setUseDefault(false);
        flow->setName(QStringLiteral("work"));
        SignInHarness::settle(*flow);
        SignInView view(*flow);
        flow->start();
        const QString install = QStringLiteral("How to install Claude Code");
        QCOMPARE(shownTexts(view), sorted({"Cancel", install, "Not signed in",
                                           SignInFlow::notInstalledMessage, "Try Again"}));
        shown<QAbstractButton>(view, install)->click();
        QCOMPARE(harness.opened, QList<QUrl>{QUrl(QString::fromLatin1(SignInWindow::installHelp))});

        QSignalSpy phases(flow.get(), &SignInFlow::phaseChanged);
        shown<QAbstractButton>(view, QStringLiteral("Try Again"))->click();
        // Signing in again starts over at once, and finds Claude Code missing again.
        QCOMPARE(phases.count(), again ? 2 : 1);
        if (!again)
            QCOMPARE(shown<QLineEdit>(view, QStringLiteral("work"))->text(),
                     QStringLiteral("work"));
    }
};

QTEST_MAIN(SignInViewTest)
#include "SignInViewTest.moc"
