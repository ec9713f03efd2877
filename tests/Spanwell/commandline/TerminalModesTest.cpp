#include "commandline/Dispatch.h"
#include "support/SpanwellProcess.h"
#include "support/TemporaryHome.h"

#include <QTest>

class TerminalModesTest : public QObject {
    Q_OBJECT

private slots:
    // The older modes keep every argument they take; the newer ones only get what is left.
    void dispatch_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("kind");
        using Kind = Mode::Kind;
        QTest::newRow("help") << QStringList({"spanwell", "--help"}) << int(Kind::help);
        QTest::newRow("help before version")
            << QStringList({"spanwell", "--version", "--help"}) << int(Kind::help);
        QTest::newRow("version") << QStringList({"spanwell", "--version"}) << int(Kind::version);
        QTest::newRow("renewal check first")
            << QStringList({"spanwell", "--help", "--renew-check"}) << int(Kind::renewalCheck);
        QTest::newRow("a picture's path")
            << QStringList({"spanwell", "--snapshot", "--help"}) << int(Kind::panelPicture);
    }
    void dispatch() {
        QFETCH(QStringList, arguments);
        QFETCH(int, kind);
        QCOMPARE(int(Dispatch::choose(arguments).kind), kind);
    }

    // Both answer without a display and end at once, instead of starting the tray program.
    void helpAndVersionPrintAndEnd_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("begins");
        QTest::newRow("help") << "--help" << QByteArray("Usage: spanwell ");
        QTest::newRow("version") << "--version" << QByteArray("Spanwell 0.");
    }
    void helpAndVersionPrintAndEnd() {
        QFETCH(QString, argument);
        QFETCH(QByteArray, begins);
        TemporaryHome home;
        const auto finished =
            SpanwellProcess::run({argument}, SpanwellProcess::environment(home.path()));
        QVERIFY(finished.inTime);
        QCOMPARE(finished.exitCode, 0);
        QCOMPARE(finished.errors, QByteArray());
        QVERIFY2(finished.output.startsWith(begins), finished.output.constData());
        QVERIFY(finished.output.endsWith('\n'));
    }
};

QTEST_GUILESS_MAIN(TerminalModesTest)
#include "TerminalModesTest.moc"
