#include "signin/SignInWindow.h"
#include "signin/SignInFlow.h"
#include "support/ScopedEnvironment.h"
#include "support/SpanwellProcess.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QImage>
#include <QPointer>
#include <QTest>
#include <QWidget>

using Phase = SignInFlow::Phase;

class SignInWindowTest : public QObject {
    Q_OBJECT

private slots:
    void oneWindowAtATime() {
        // The window's flow finds Claude Code in the user's home folder.
        TemporaryHome home;
        ScopedEnvironment environment;
        environment.set("HOME", home.path().toUtf8());
        home.writeExecutable(QStringLiteral(".local/bin/claude"),
                             StandIn::script("echo https://claude.ai/a\nexec sleep 30\n"));

        SignInWindow::show(nullptr, std::nullopt);
        const QPointer<QWidget> first = SignInWindow::window();
        QVERIFY(first && first->isVisible());
        // A second "Add an Account…" replaces the form.
        SignInWindow::show(nullptr, std::nullopt);
        QVERIFY(SignInWindow::window() != first);
        QTRY_VERIFY(!first);

        SignInFlow* flow = SignInWindow::flow();
        flow->setUseDefault(false);
        flow->setName(QStringLiteral("work"));
        flow->start();
        QTRY_COMPARE(flow->phase(), Phase::waiting());
        // A window waiting for its login only comes to the front.
        const QPointer<QWidget> waiting = SignInWindow::window();
        Account other;
        other.configDir = home.pathOf(QStringLiteral(".claude-x"));
        other.email = QStringLiteral("x@y");
        SignInWindow::show(nullptr, other);
        QCOMPARE(SignInWindow::window(), waiting.data());
        QCOMPARE(SignInWindow::flow(), flow);

        // Closing ends the window and its flow, which ends the login as the flow's test shows.
        QTRY_VERIFY(flow->signInURL());
        flow->close();
        QVERIFY(!SignInWindow::window());
        QTRY_VERIFY(!waiting);

        SignInWindow::show(nullptr, other);
        QCOMPARE(SignInWindow::flow()->again(), std::optional(other));
        SignInWindow::window()->close();
    }

    void picturesAPhaseWithoutADisplay() {
        TemporaryHome pictures;
        const QString done = pictures.pathOf(QStringLiteral("done.png"));
        // The executable draws it without any display.
        const auto finished =
            SpanwellProcess::run({QStringLiteral("--signin-picture"), QStringLiteral("done"), done},
                                 SpanwellProcess::environment(pictures.path()));
        QCOMPARE(finished.exitCode, 0);
        QVERIFY(!QImage(done).isNull());
    }
};

QTEST_MAIN(SignInWindowTest)
#include "SignInWindowTest.moc"
