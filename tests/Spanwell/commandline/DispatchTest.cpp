#include "commandline/Dispatch.h"

#include <QTest>

class DispatchTest : public QObject {
    Q_OBJECT

private slots:
    void choose_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode>("mode");
        using Kind = Mode::Kind;
        QTest::newRow("sign-in picture first of all")
            << QStringList({"spanwell", "--icon", "icons", "--snapshot", "out.png", "--renew-check",
                            "--signin-picture", "naming", "n.png"})
            << Mode{Kind::signInPicture, "naming", "n.png"};
        QTest::newRow("sign-in picture without a path goes on")
            << QStringList({"spanwell", "--renew-check", "--signin-picture", "waiting"})
            << Mode{Kind::renewalCheck, {}, {}};
        QTest::newRow("sign-in picture without a phase goes on")
            << QStringList({"spanwell", "--icon", "icons", "--signin-picture"})
            << Mode{Kind::iconFiles, {}, "icons"};
        QTest::newRow("icon files before the panel picture")
            << QStringList({"spanwell", "--snapshot", "out.png", "--icon", "icons"})
            << Mode{Kind::iconFiles, {}, "icons"};
        QTest::newRow("panel picture before the renewal check")
            << QStringList({"spanwell", "--renew-check", "--snapshot", "out.png"})
            << Mode{Kind::panelPicture, {}, "out.png"};
        QTest::newRow("options match exactly")
            << QStringList({"spanwell", "--renew-check=yes", "--Renew-Check", "-renew-check",
                            "--Icon", "icons"})
            << Mode{};
    }
    void choose() {
        QFETCH(QStringList, arguments);
        QFETCH(Mode, mode);
        QCOMPARE(Dispatch::choose(arguments), mode);
    }
};

QTEST_GUILESS_MAIN(DispatchTest)
#include "DispatchTest.moc"
