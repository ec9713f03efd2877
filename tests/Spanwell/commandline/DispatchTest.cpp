#include "commandline/Dispatch.h"

#include <QTest>

namespace {

Mode mode(Mode::Kind kind, const QString& path = {}, const QString& phase = {}) {
    return Mode{kind, phase, path};
}

} // namespace

// How a mode shows in a failed comparison.
char* toString(const Mode& mode) {
    return QTest::toString(QStringLiteral("kind %1, phase \"%2\", path \"%3\"")
                               .arg(static_cast<int>(mode.kind))
                               .arg(mode.phase, mode.path));
}

class DispatchTest : public QObject {
    Q_OBJECT

private slots:
    void choose_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode>("mode");
        using Kind = Mode::Kind;

        QTest::newRow("nothing") << QStringList() << mode(Kind::normalStart);
        QTest::newRow("sign-in picture path found by the phase text")
            << QStringList({"spanwell", "waiting", "--signin-picture", "waiting", "pic.png"})
            << mode(Kind::signInPicture, "--signin-picture", "waiting");
        QTest::newRow("sign-in picture first of all")
            << QStringList({"spanwell", "--icon", "icons", "--snapshot", "out.png", "--renew-check",
                            "--signin-picture", "naming", "n.png"})
            << mode(Kind::signInPicture, "n.png", "naming");
        QTest::newRow("sign-in picture without a path goes on")
            << QStringList({"spanwell", "--renew-check", "--signin-picture", "waiting"})
            << mode(Kind::renewalCheck);
        QTest::newRow("sign-in picture without a phase goes on")
            << QStringList({"spanwell", "--icon", "icons", "--signin-picture"})
            << mode(Kind::iconFiles, "icons");
        QTest::newRow("icon files before the panel picture")
            << QStringList({"spanwell", "--snapshot", "out.png", "--icon", "icons"})
            << mode(Kind::iconFiles, "icons");
        QTest::newRow("panel picture before the renewal check")
            << QStringList({"spanwell", "--renew-check", "--snapshot", "out.png"})
            << mode(Kind::panelPicture, "out.png");
        QTest::newRow("panel picture without a path goes on")
            << QStringList({"spanwell", "--renew-check", "--snapshot"}) << mode(Kind::renewalCheck);
        QTest::newRow("options match exactly")
            << QStringList({"spanwell", "--renew-check=yes", "--Renew-Check", "-renew-check",
                            "--Icon", "icons"})
            << mode(Kind::normalStart);
        QTest::newRow("the program path counts as an argument")
            << QStringList({"--icon", "icons"}) << mode(Kind::iconFiles, "icons");
    }

    void choose() {
        QFETCH(QStringList, arguments);
        QFETCH(Mode, mode);
        QCOMPARE(Dispatch::choose(arguments), mode);
    }
};

QTEST_GUILESS_MAIN(DispatchTest)
#include "DispatchTest.moc"
