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
    // The default folder is offered only while no account is signed in there.
    void namingForm_data() {
        QTest::addColumn<bool>("defaultTaken");
        QTest::newRow("default folder free") << false;
        QTest::newRow("default folder signed in") << true;
    }
    void namingForm() {
        QFETCH(bool, defaultTaken);
        SignInHarness harness;
        if (defaultTaken)
            harness.account(QStringLiteral(".claude"), QStringLiteral("main@example.com"));
        const auto flow = harness.makeFlow();
        SignInView view(*flow);
        const bool defaultIsFree = !defaultTaken;
        QCOMPARE(shown<QLineEdit>(view, nameBox) != nullptr, defaultTaken);
        QCOMPARE(shown<QCheckBox>(view) != nullptr, defaultIsFree);
        QCOMPARE(shown<QAbstractButton>(view, signIn)->isEnabled(), defaultIsFree);
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

    // From the keyboard: Return or Space on the question, or following the link to the page,
    // opens the code box with the keyboard in it. The link can be copied instead.
    void codeBoxFromTheKeyboard_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("key");
        const QString question = QStringLiteral("The page shows a code?");
        QTest::newRow("Return on the question") << question << int(Qt::Key_Return);
        QTest::newRow("Space on the question") << question << int(Qt::Key_Space);
        QTest::newRow("the link") << QStringLiteral("Open the Sign-In Page Again")
                                  << int(Qt::Key_Enter);
    }
    void codeBoxFromTheKeyboard() {
        QFETCH(QString, control);
        QFETCH(int, key);
        SignInHarness harness;
        const auto flow = harness.makeFlow();
        flow->setPhase(Phase::waiting());
        flow->setSignInURL(QStringLiteral("https://claude.ai/x"));
        SignInView view(*flow);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QAbstractButton* button = shown<QAbstractButton>(view, control);
        button->setFocus();
        QTest::keyClick(button, Qt::Key(key));
        const QLineEdit* codeBox = shown<QLineEdit>(view, QStringLiteral("Code"));
        QVERIFY(codeBox && codeBox->hasFocus());
        QCOMPARE(harness.opened.size(), key == Qt::Key_Enter ? 1 : 0);
        shown<QAbstractButton>(view, QStringLiteral("Copy Link"))->click();
        QCOMPARE(harness.copied, QStringList{QStringLiteral("https://claude.ai/x")});
    }
};

QTEST_MAIN(SignInViewTest)
#include "SignInViewTest.moc"
