#include "signin/SignInWindow.h"
#include "signin/SignInFlow.h"
#include "support/SpanwellProcess.h"
#include "support/StandIn.h"
#include "support/TemporaryHome.h"

#include <QImage>
#include <QPointer>
#include <QScopeGuard>
#include <QTest>
#include <QWidget>

using Phase = SignInFlow::Phase;

class SignInWindowTest : public QObject {
    Q_OBJECT

private slots:
    void oneWindowAtATime() {
        // The window's flow finds Claude Code in the user's home folder.
        TemporaryHome home;
        const QByteArray ownHome = qgetenv("HOME");
        qputenv("HOME", home.path().toUtf8());
        const auto restore = qScopeGuard([&] { qputenv("HOME", ownHome); });
        home.writeExecutable(QStringLiteral(".local/bin/claude"),
                             StandIn::script("echo $$ > '" + home.path().toUtf8() +
                                             "/pid'\necho https://claude.ai/a\nexec sleep 30\n"));

        SignInWindow::show(nullptr, std::nullopt);
        const QPointer<QWidget> first = SignInWindow::window();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), QStringLiteral("Add an Account"));
        // A second "Add an Account…" replaces the form.
        SignInWindow::show(nullptr, std::nullopt);
        QVERIFY(SignInWindow::window() != first);
        QTRY_VERIFY(!first);

        SignInFlow* flow = SignInWindow::flow();
        flow->setUseDefault(false);
        flow->setName(QStringLiteral("work"));
        flow->start();
        QTRY_COMPARE(flow->phase(), Phase::waiting());
        const QPointer<QWidget> waiting = SignInWindow::window();
        Account other;
        other.configDir = home.pathOf(QStringLiteral(".claude-x"));
        other.email = QStringLiteral("x@y");
        SignInWindow::show(nullptr, other);
        QCOMPARE(SignInWindow::window(), waiting.data());
        QCOMPARE(SignInWindow::flow(), flow);
        QCOMPARE(flow->phase(), Phase::waiting());

        // Closing ends the login.
        QTRY_VERIFY(flow->signInURL());
        flow->close();
        QVERIFY(!SignInWindow::window());
        QTRY_VERIFY(StandIn::hasEnded(home.path()));
        QTRY_VERIFY(!waiting);

        SignInWindow::show(nullptr, other);
        QCOMPARE(SignInWindow::window()->windowTitle(), QStringLiteral("Sign In Again"));
        QCOMPARE(SignInWindow::flow()->phase(), Phase::naming());
        SignInWindow::window()->close();
    }

    void pictureMode_data() {
        QTest::addColumn<QString>("phase");
        QTest::addColumn<bool>("writable");
        QTest::newRow("name") << "name" << true;
        QTest::newRow("waiting") << "waiting" << true;
        QTest::newRow("done") << "done" << true;
        QTest::newRow("misspelt") << "dnoe" << true;
        QTest::newRow("unwritable path") << "name" << false;
    }
    void pictureMode() {
        QFETCH(QString, phase);
        QFETCH(bool, writable);
        const QString path = pictures.pathOf(phase + QStringLiteral(".png"));
        // No display of any kind is needed.
        const auto finished = SpanwellProcess::run(
            {QStringLiteral("--signin-picture"), phase,
             writable ? path : pictures.pathOf(QStringLiteral("missing/out.png"))},
            SpanwellProcess::environment(pictures.path()));
        QVERIFY(finished.inTime);
        QCOMPARE(finished.exitCode, writable ? 0 : 1);
        if (!writable)
            return;

        const QImage picture(path);
        QCOMPARE(picture.width(), (440 + 2) * 2);
        // The frame's rounded corner leaves the very corner clear; the title bar is opaque.
        QCOMPARE(picture.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(picture.pixelColor(picture.width() / 4, 10).alpha(), 255);
        const QImage done(pictures.pathOf(QStringLiteral("done.png")));
        QCOMPARE(picture == done,
                 phase != QLatin1String("name") && phase != QLatin1String("waiting"));
    }

private:
    TemporaryHome pictures;
};

QTEST_MAIN(SignInWindowTest)
#include "SignInWindowTest.moc"
