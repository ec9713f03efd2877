#include "signin/SignInView.h"
#include "SignInHarness.h"
#include "Spanwell/views/Widgets.h"

#include <QCheckBox>
#include <QTest>

using Phase = SignInFlow::Phase;
using Widgets::shown;

namespace {

const QString signIn = QStringLiteral("Sign In with Claude…");
const QString nameBox = QStringLiteral("work");

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
        // A free name's verdict lets the sign-in start.
        QTest::keyClicks(shown<QLineEdit>(view, nameBox), QStringLiteral("new"));
        QCOMPARE(flow->name(), QStringLiteral("new"));
        QTRY_VERIFY(shown<QAbstractButton>(view, signIn)->isEnabled());
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
};

QTEST_MAIN(SignInViewTest)
#include "SignInViewTest.moc"
