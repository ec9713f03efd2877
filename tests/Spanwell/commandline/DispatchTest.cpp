#include "commandline/Dispatch.h"

#include <QTest>

class DispatchTest : public QObject {
    Q_OBJECT

private slots:
    void chooses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Mode>("mode");
        using Kind = Mode::Kind;
        Mode picture{Kind::panelPicture, {}, "out.png"};
        picture.dark = picture.demo = picture.expandAll = true;
        picture.open = "+1";
        QTest::newRow("sign-in picture first of the older modes")
            << QStringList({"spanwell", "--icon", "icons", "--snapshot", "out.png", "--renew-check",
                            "--signin-picture", "name", "n.png"})
            << Mode{Kind::signInPicture, "name", "n.png"};
        QTest::newRow("icon files before the panel picture")
            << QStringList({"spanwell", "--snapshot", "out.png", "--icon", "icons"})
            << Mode{Kind::iconFiles, {}, "icons"};
        QTest::newRow("panel picture with its options, before the renewal check")
            << QStringList({"spanwell", "--renew-check", "--dark", "--snapshot=out.png", "--demo",
                            "--open", "+1", "-expand-all"})
            << picture;
        QTest::newRow("help wins") << QStringList({"spanwell", "--status", "-h", "--icon", "x"})
                                   << Mode{Kind::help, {}, {}};
        QTest::newRow("short version")
            << QStringList({"spanwell", "-v"}) << Mode{Kind::version, {}, {}};
        QTest::newRow("add an account")
            << QStringList({"spanwell", "--add-account"}) << Mode{Kind::addAccount, {}, {}};
        QTest::newRow("best command")
            << QStringList({"spanwell", "--command", "--best", "--max-age", "0"})
            << Mode{Kind::best, {}, {}, Mode::StatusFormat::text, true, 0};
        QTest::newRow("status as a menu for Argos")
            << QStringList({"spanwell", "--status", "--argos"})
            << Mode{Kind::status, {}, {}, Mode::StatusFormat::argos};
        Mode history{Kind::history, {}, {}};
        history.sinceSeconds = 2 * 86400;
        history.account = "~/.claude-work";
        history.historyFormat = Mode::HistoryFormat::csv;
        QTest::newRow("history with its options")
            << QStringList({"spanwell", "--history", "--csv", "--since", "2d", "--account",
                            "~/.claude-work"})
            << history;
        QTest::newRow("Qt's own options for the tray program")
            << QStringList({"spanwell", "-platform", "offscreen", "-display", ":1"}) << Mode{};
    }
    void chooses() {
        QFETCH(QStringList, arguments);
        QFETCH(Mode, mode);
        QCOMPARE(Dispatch::choose(arguments), mode);
    }

    // Each is refused with a sentence that names what is wrong, never run as something else.
    void refuses_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("problem");
        QTest::newRow("unknown") << QStringList({"spanwell", "--bogus"})
                                 << "Unknown option --bogus.";
        QTest::newRow("misspelt modifier")
            << QStringList({"spanwell", "--status", "--jsno=1"}) << "Unknown option --jsno.";
        QTest::newRow("unknown single dash")
            << QStringList({"spanwell", "-renew-check", "-x"}) << "Unknown option -x.";
        QTest::newRow("option without its value")
            << QStringList({"spanwell", "--snapshot"}) << "--snapshot";
        QTest::newRow("sign-in picture without its file")
            << QStringList({"spanwell", "--signin-picture", "name"})
            << "--signin-picture takes a phase and a file.";
        QTest::newRow("stray argument")
            << QStringList({"spanwell", "--status", "now"}) << "Unexpected argument now.";
        QTest::newRow("modifier without its mode")
            << QStringList({"spanwell", "--json"}) << "--json goes with --status or --history.";
        QTest::newRow("modifier of another mode")
            << QStringList({"spanwell", "--best", "--open", "1"}) << "--open goes with --snapshot.";
        QTest::newRow("two formats") << QStringList({"spanwell", "--line", "--status", "--json"})
                                     << "--json and --line cannot be given together.";
        QTest::newRow("negative age") << QStringList({"spanwell", "--best", "--max-age", "-1"})
                                      << "--max-age takes a whole number of seconds, 0 or more.";
        QTest::newRow("history since no unit")
            << QStringList({"spanwell", "--history", "--since", "7"}) << "--since takes";
        QTest::newRow("history since nothing")
            << QStringList({"spanwell", "--history", "--since", "0d"}) << "--since takes";
        QTest::newRow("two history formats")
            << QStringList({"spanwell", "--history", "--csv", "--json"})
            << "--csv and --json cannot be given together.";
    }
    void refuses() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, problem);
        const Mode mode = Dispatch::choose(arguments);
        QCOMPARE(mode.kind, Mode::Kind::misused);
        QVERIFY2(mode.problem.contains(problem), qPrintable(mode.problem));
    }
};

QTEST_GUILESS_MAIN(DispatchTest)
#include "DispatchTest.moc"
